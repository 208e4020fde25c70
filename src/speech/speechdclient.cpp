#include "speech/speechdclient.h"

#include <poll.h>
#include <speech-dispatcher/libspeechd.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "text/textcodec.h"

namespace vernalo {

namespace {

class SpeechdClient;

// The library's messages end in line breaks.
std::string Message(const char* text, const char* otherwise) {
    std::string message = text ? text : otherwise;
    while (!message.empty() && std::isspace(static_cast<unsigned char>(message.back())))
        message.pop_back();
    return message;
}

// The library's callbacks carry no user pointer, only the connection's client id.
std::mutex gClientsMutex;
std::map<std::size_t, SpeechdClient*> gClients;

void MessageEnded(std::size_t msgId, std::size_t clientId, SPDNotificationType);
void MarkReached(std::size_t msgId, std::size_t clientId, SPDNotificationType, char* mark);

// Closes every message: reached when the last word has been played, before the quiet tail
// that some modules play until they report the end.
constexpr const char* kEndMark = "vernalo-end";

std::string Ssml(const std::string& text) {
    return "<speak>" + XmlEscaped(text) + "<mark name=\"" + kEndMark + "\"/></speak>";
}

class SpeechdClient : public DispatcherClient {
public:
    ~SpeechdClient() override {
        if (!connection_) return;
        {
            std::lock_guard lock(gClientsMutex);
            gClients.erase(clientId_);
        }
        spd_close(connection_);
    }

    bool open(std::string* error) override {
        char* why = nullptr;
        // The default address honours SPEECHD_ADDRESS; the service is started when it is
        // installed and not running, as every desktop client of it does.
        SPDConnectionAddress* address = spd_get_default_address(&why);
        if (!address) {
            *error = Message(why, "no address");
            std::free(why);
            return false;
        }
        connection_ = spd_open2("vernalo", "reading", nullptr, SPD_MODE_THREADED, address, 1, &why);
        SPDConnectionAddress__free(address);
        if (!connection_) {
            *error = Message(why, "cannot connect");
            std::free(why);
            return false;
        }
        std::free(why);
        clientId_ = static_cast<std::size_t>(spd_get_client_id(connection_));
        {
            std::lock_guard lock(gClientsMutex);
            gClients[clientId_] = this;
        }
        connection_->callback_end = MessageEnded;
        connection_->callback_cancel = MessageEnded;
        connection_->callback_im = MarkReached;
        spd_set_notification_on(connection_, SPD_END);
        spd_set_notification_on(connection_, SPD_CANCEL);
        spd_set_notification_on(connection_, SPD_INDEX_MARKS);
        spd_set_data_mode(connection_, SPD_DATA_SSML);
        return true;
    }

    std::vector<std::string> modules() override {
        std::vector<std::string> result;
        if (char** list = spd_list_modules(connection_)) {
            for (char** m = list; *m; ++m)
                result.emplace_back(*m);
            free_spd_modules(list);
        }
        return result;
    }

    std::vector<ListedVoice> voices(const std::string& module) override {
        std::vector<ListedVoice> result;
        if (spd_set_output_module(connection_, module.c_str()) != 0) return result;
        // The raw reply, parsed here: the library's own list parsing takes seconds for the
        // espeak-ng module's thirteen thousand voices.
        char* reply = nullptr;
        if (spd_execute_command_with_reply(connection_, "LIST SYNTHESIS_VOICES", &reply) == 0 &&
            reply)
            result = ParseVoiceList(reply);
        std::free(reply);
        return result;
    }

    bool setVoice(const std::string& module, const std::string& voice) override {
        return spd_set_output_module(connection_, module.c_str()) == 0 &&
               spd_set_synthesis_voice(connection_, voice.c_str()) == 0;
    }

    bool setRate(int rate) override { return spd_set_voice_rate(connection_, rate) == 0; }

    long say(const std::string& utf8) override {
        const int id = spd_say(connection_, SPD_MESSAGE, Ssml(utf8).c_str());
        return id > 0 ? id : -1;
    }

    void cancel() override { spd_cancel(connection_); }

    // The library's reader thread owns the socket's input: only look whether the other end
    // has hung up.
    bool alive() override {
        pollfd p{connection_->socket, POLLRDHUP, 0};
        if (poll(&p, 1, 0) < 0) return false;
        return !(p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
    }

    void ended(std::size_t msgId) {
        if (messageDone) messageDone(static_cast<long>(msgId));
    }
    void spoken(std::size_t msgId) {
        if (messageSpoken) messageSpoken(static_cast<long>(msgId));
    }

private:
    SPDConnection* connection_ = nullptr;
    std::size_t clientId_ = 0;
};

void MessageEnded(std::size_t msgId, std::size_t clientId, SPDNotificationType) {
    std::lock_guard lock(gClientsMutex);
    auto it = gClients.find(clientId);
    if (it != gClients.end()) it->second->ended(msgId);
}

void MarkReached(std::size_t msgId, std::size_t clientId, SPDNotificationType, char* mark) {
    if (!mark || std::string(mark) != kEndMark) return;
    std::lock_guard lock(gClientsMutex);
    auto it = gClients.find(clientId);
    if (it != gClients.end()) it->second->spoken(msgId);
}

}  // namespace

std::unique_ptr<DispatcherClient> MakeSpeechdClient() {
    return std::make_unique<SpeechdClient>();
}

DispatcherCatalog& SpeechdCatalog() {
    // Never destroyed: its listing may still wait on the service when the process ends.
    static auto* catalog = new DispatcherCatalog(MakeSpeechdClient);
    return *catalog;
}

}  // namespace vernalo
