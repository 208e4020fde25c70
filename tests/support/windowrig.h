#pragma once
// What every window test needs: a data folder of its own that goes away with the test, a
// window on it with scripted voices and its messages captured instead of shown, and a way to
// let the event loop run until something has happened.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// The window and its controllers, as the tests drive them.
#include "app/controllers/documentcommands.h"
#include "app/controllers/exportcontroller.h"
#include "app/controllers/mediabridge.h"
#include "app/controllers/readingcontroller.h"
#include "app/controllers/windowpersistence.h"
#include "app/window/mainwindow.h"
#include "app/window/readingview.h"
#include "app/window/texteditor.h"
#include "support/fakevoice.h"

// Readable failures for Qt strings (found by gtest through QString's own namespace).
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace vernalo::test {

// Lets the event loop run until `done` holds or `ms` have gone; returns `done()`. Short
// steps: the reading's timer ticks every 5 ms.
template <typename F>
bool WaitFor(F done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A folder under /tmp, removed with all it holds, read-only parts included.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vernalo_test_XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (path_.empty()) return;
        // A test may leave a folder it made unwritable: its files could not go.
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class WindowRig {
public:
    WindowRig() : dir(folder_.path()) {}
    virtual ~WindowRig() { window.reset(); }

    // The window's options: the rig's folder, no message boxes (the texts go to `messages`),
    // scripted voices with `modes`, which `ruVoice` and `enVoice` then point to.
    MainWindow::Options options() {
        MainWindow::Options o;
        o.baseDir = dir;
        o.showMessages = false;
        o.onMessage = [this](const QString& m) { messages.push_back(m); };
        o.voices = [this] {
            auto ru = std::make_unique<FakeVoice>(modes);
            auto en = std::make_unique<FakeVoice>(modes);
            ruVoice = ru.get();
            enVoice = en.get();
            return PerLanguage<std::unique_ptr<Voice>>{{std::move(ru), std::move(en)}};
        };
        return o;
    }
    // A new window, started up as the program starts it (its problems are not shown yet).
    MainWindow& startWindow(MainWindow::Options o) {
        window.reset();
        window = std::make_unique<MainWindow>(std::move(o));
        window->startUp();
        return *window;
    }
    MainWindow& startWindow() { return startWindow(options()); }
    // Closed as the user closes it: the text and the settings are written.
    void close() {
        window->close();
        window.reset();
    }
    WindowControllers controllers() const { return window->controllers(); }

    std::string path(const std::string& relative) const { return dir + "/" + relative; }
    // A file under the folder, its folders made as needed; returns its path.
    std::string write(const std::string& relative, const std::string& bytes) const {
        const std::string p = path(relative);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    TempFolder folder_;  // first: it outlives the window

public:
    const std::string dir;
    // Product "Other": the voices load no dictionaries unless a test names the built-in engine.
    std::vector<FakeMode> modes = {{u"Russian", u"Nicolai"}, {u"English", u"Carol"}};
    std::unique_ptr<MainWindow> window;
    std::vector<QString> messages;
    FakeVoice* ruVoice = nullptr;
    FakeVoice* enVoice = nullptr;
};

}  // namespace vernalo::test
