// The Word 97-2003 reader on any bytes it takes (a compound file, whatever its name): it
// refuses with a reason or gives a document the editor bridge can use.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "documentcheck.h"
#include "documents/word97/wordreader.h"

// libgsf loses a directory entry of some damaged compound files while it opens them (its own
// allocation, lost before it returns; the reader unrefs all it is given). Only leaks from
// inside that call are let pass: one of ours in reading the streams still stops the run.
// The pass needs whole allocation stacks, which glib's frames hide from the fast unwinder.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:gsf_infile_msole_new\n";
}
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vernalo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!kWord97Format.takes(bytes, u"")) return 0;
    fuzz::CheckReadResult(kWord97Format.read(bytes, {}));
    return 0;
}
