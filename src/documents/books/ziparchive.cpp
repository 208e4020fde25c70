#include "documents/books/ziparchive.h"

#include <zip.h>

namespace vernalo {

struct ZipArchive::Impl {
    zip_t* zip = nullptr;
    ZipLimits limits;
    std::uint64_t inflated = 0;
    ~Impl() {
        if (zip) zip_discard(zip);
    }
};

ZipArchive::ZipArchive(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ZipArchive::~ZipArchive() = default;

std::unique_ptr<ZipArchive> ZipArchive::open(std::string_view bytes, std::string& error,
                                             ZipLimits limits) {
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &ze);
    if (!src) {
        zip_error_fini(&ze);
        error = "the archive cannot be read";
        return nullptr;
    }
    zip_t* zip = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &ze);
    if (!zip) {
        zip_source_free(src);
        zip_error_fini(&ze);
        // A book or office file that is no archive, or whose end is cut off, is one the user
        // can only replace: which of the two it is tells them nothing more.
        error = "the file is damaged or incomplete";
        return nullptr;
    }
    zip_error_fini(&ze);
    auto impl = std::make_unique<Impl>();
    impl->zip = zip;
    impl->limits = limits;
    return std::unique_ptr<ZipArchive>(new ZipArchive(std::move(impl)));
}

std::vector<std::string> ZipArchive::names() const {
    std::vector<std::string> names;
    const zip_int64_t n = zip_get_num_entries(impl_->zip, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        if (const char* name = zip_get_name(impl_->zip, static_cast<zip_uint64_t>(i), 0))
            names.emplace_back(name);
    }
    return names;
}

bool ZipArchive::contains(const std::string& name) const {
    return zip_name_locate(impl_->zip, name.c_str(), 0) >= 0;
}

std::uint64_t ZipArchive::declaredSize(const std::string& name) const {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(impl_->zip, name.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) return 0;
    return st.size;
}

bool ZipArchive::read(const std::string& name, std::string& out, std::string& error) {
    out.clear();
    const zip_int64_t index = zip_name_locate(impl_->zip, name.c_str(), 0);
    if (index < 0) {
        error = "the part " + name + " is missing";
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(impl_->zip, static_cast<zip_uint64_t>(index), 0, &st) != 0) {
        error = "the file is damaged or incomplete";
        return false;
    }
    if (st.valid & ZIP_STAT_ENCRYPTION_METHOD && st.encryption_method != ZIP_EM_NONE) {
        error = "the part " + name + " is encrypted";
        return false;
    }
    const ZipLimits& lim = impl_->limits;
    const std::uint64_t compressed = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
    const std::uint64_t perEntry = compressed * lim.maxRatio + lim.slackBytes;
    const std::uint64_t budget = lim.totalBytes - impl_->inflated;
    const char* bomb = "the archive inflates to far more than it holds (a zip bomb?)";
    // The declared size is only a hint: a hostile archive may lie, so the reading
    // below counts what really comes out.
    if (st.valid & ZIP_STAT_SIZE) {
        if (st.size > perEntry || st.size > budget) {
            error = bomb;
            return false;
        }
        out.reserve(static_cast<std::size_t>(st.size));
    }
    zip_file_t* file = zip_fopen_index(impl_->zip, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        error = "the file is damaged or incomplete";
        return false;
    }
    char chunk[1 << 16];
    bool ok = true;
    for (;;) {
        const zip_int64_t got = zip_fread(file, chunk, sizeof chunk);
        if (got < 0) {
            error = "the file is damaged or incomplete";
            ok = false;
            break;
        }
        if (got == 0) break;
        out.append(chunk, static_cast<std::size_t>(got));
        if (out.size() > perEntry || out.size() > budget) {
            error = bomb;
            ok = false;
            break;
        }
    }
    zip_fclose(file);
    if (!ok) {
        out.clear();
        out.shrink_to_fit();
        return false;
    }
    impl_->inflated += out.size();
    return true;
}

}  // namespace vernalo
