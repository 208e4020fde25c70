#include "documents/ocr/recognition.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "documents/ocr/recognizer.h"

#ifdef VERNALO_HAS_OPENMP
#include <omp.h>
#endif

namespace vernalo {
namespace {

struct PageSlot {
    bool done = false;
    bool damaged = false;
    std::vector<PageParagraph> paragraphs;
};

// What the workers and the delivering thread share.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<PageSlot> slots;
    std::atomic<int> next{0};
    std::atomic<bool> stop{false};
    bool noLanguages = false;
    int workersLeft = 0;
};

void Work(Shared& shared, const PageImageSource& image, bool shareCores) {
#ifdef VERNALO_HAS_OPENMP
    // Each engine would start a team of threads per page as if it had every core; with a
    // page per core already, the runtime may give it fewer, by the cores that are idle.
    if (shareCores) omp_set_dynamic(1);
#else
    (void)shareCores;
#endif
    PageRecognizer recognizer;
    if (!recognizer.ready()) {
        std::lock_guard lock(shared.mutex);
        shared.noLanguages = true;
        shared.stop = true;
        --shared.workersLeft;
        shared.changed.notify_all();
        return;
    }
    const int pages = static_cast<int>(shared.slots.size());
    for (int i = shared.next++; i < pages && !shared.stop; i = shared.next++) {
        PageSlot slot;
        if (PixPtr pix = image(i)) {
            slot.paragraphs = recognizer.recognise(pix.get(), shared.stop);
        } else {
            slot.damaged = true;
        }
        slot.done = true;
        std::lock_guard lock(shared.mutex);
        shared.slots[static_cast<std::size_t>(i)] = std::move(slot);
        shared.changed.notify_all();
    }
    std::lock_guard lock(shared.mutex);
    --shared.workersLeft;
    shared.changed.notify_all();
}

}  // namespace

int RecognitionWorkers(int pages) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp(std::min(cores, pages), 1, 2);
}

std::string RecognisedTextDescription() {
    return "recognised text (" + RecognitionEngineName() + ", rus+eng)";
}

ReadResult RecognisePages(int pages, const PageImageSource& image, const ReadControl& control,
                          const std::function<void(int, std::vector<PageParagraph>)>& delivered) {
    if (!HasRecognitionLanguages()) return ReadFailure(kMissingLanguagesMessage, true);
    Shared shared;
    shared.slots.resize(static_cast<std::size_t>(pages));
    const int workers = RecognitionWorkers(pages);
    shared.workersLeft = workers;
    std::vector<std::jthread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&shared, &image, workers] { Work(shared, image, workers > 1); });

    // A page that takes longer than this is given up: no scan of a page needs it, a hostile
    // image might. The whole read has no limit, as the pages come and can be cancelled.
    const auto pageLimit = control.timeLimit * 10;
    auto pageDeadline = std::chrono::steady_clock::now() + pageLimit;
    std::optional<ReadResult> failure;
    int handed = 0;
    if (control.progress) control.progress(0, pages);
    std::unique_lock lock(shared.mutex);
    while (handed < pages) {
        shared.changed.wait_for(lock, std::chrono::milliseconds(100));
        if (shared.noLanguages) {
            failure = ReadFailure(kMissingLanguagesMessage, true);
            break;
        }
        if (control.cancelled && control.cancelled()) {
            failure = ReadFailure("the reading was cancelled");
            break;
        }
        if (std::chrono::steady_clock::now() > pageDeadline) {
            failure = ReadFailure("it takes too long to read");
            break;
        }
        while (handed < pages && shared.slots[static_cast<std::size_t>(handed)].done) {
            PageSlot slot = std::move(shared.slots[static_cast<std::size_t>(handed)]);
            if (slot.damaged) {
                failure = ReadFailure(pages > 1 ? "page " + std::to_string(handed + 1) +
                                                      " of the image is damaged"
                                                : "the image is damaged");
                break;
            }
            ++handed;
            pageDeadline = std::chrono::steady_clock::now() + pageLimit;
            lock.unlock();
            delivered(handed - 1, std::move(slot.paragraphs));
            if (control.progress) control.progress(handed, pages);
            lock.lock();
        }
        if (failure) break;
        if (shared.workersLeft == 0 && handed < pages && !shared.slots[handed].done) {
            failure = ReadFailure("the reading was cancelled");
            break;
        }
    }
    shared.stop = true;
    lock.unlock();
    threads.clear();  // joins: the engines stop within a moment of being asked
    if (failure) return *failure;
    ReadResult r;
    r.ok = true;
    return r;
}

}  // namespace vernalo
