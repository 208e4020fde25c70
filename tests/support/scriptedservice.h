#pragma once
// A scripted speech service for the speech-dispatcher voices: it takes every message, ends
// one when the test says so, and can be made unreachable or die.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "speech/dispatchervoice.h"

namespace vernalo::test {

// What the scripted service has seen and does; shared with the clients it makes, which the
// voice owns and destroys.
struct Script {
    std::atomic<bool> reachable{true};
    std::atomic<bool> alive{true};
    std::atomic<bool> endInsideSay{false};  // the end arrives before Say returns its id
    std::atomic<int> opened{0}, cancels{0};
    std::mutex mutex;
    std::vector<std::string> said, voices;
    std::vector<int> rates;
    std::function<void(long)> done, spoken;  // of the newest client
    long nextId = 100;
    std::vector<std::pair<std::string, std::vector<ListedVoice>>> modules{
        {"flite", {{"kal16", "en", "none"}}}, {"espeak-ng", {{"Russian", "ru", "none"}}}};
};

class ScriptedClient : public DispatcherClient {
public:
    explicit ScriptedClient(Script& s) : s_(s) {}
    bool open(std::string* error) override {
        if (!s_.reachable) {
            *error = "no such socket";
            return false;
        }
        ++s_.opened;
        s_.alive = true;
        std::lock_guard lock(s_.mutex);
        s_.done = messageDone;
        s_.spoken = messageSpoken;
        return true;
    }
    std::vector<std::string> modules() override {
        std::vector<std::string> names;
        for (const auto& m : s_.modules)
            names.push_back(m.first);
        return names;
    }
    std::vector<ListedVoice> voices(const std::string& module) override {
        for (const auto& m : s_.modules)
            if (m.first == module) return m.second;
        return {};
    }
    bool setVoice(const std::string& module, const std::string& voice) override {
        std::lock_guard lock(s_.mutex);
        s_.voices.push_back(module + "/" + voice);
        return true;
    }
    bool setRate(int rate) override {
        std::lock_guard lock(s_.mutex);
        s_.rates.push_back(rate);
        return true;
    }
    long say(const std::string& text) override {
        if (!s_.alive) return -1;
        long id;
        {
            std::lock_guard lock(s_.mutex);
            s_.said.push_back(text);
            id = s_.nextId++;
        }
        if (s_.endInsideSay && messageDone) messageDone(id);
        return id;
    }
    void cancel() override { ++s_.cancels; }
    bool alive() override { return s_.alive; }

private:
    Script& s_;
};

}  // namespace vernalo::test
