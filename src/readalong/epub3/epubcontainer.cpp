#include "readalong/epub3/epubcontainer.h"

#include <zip.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>

namespace vernalo {

namespace {

bool Add(zip_t* zip, const ContainerFile& f) {
    zip_source_t* source = f.source.empty()
                               ? zip_source_buffer(zip, f.bytes.data(), f.bytes.size(), 0)
                               : zip_source_file(zip, f.source.c_str(), 0, -1);
    if (!source) return false;
    const zip_int64_t index = zip_file_add(zip, f.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return f.compressed ||
           zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) == 0;
}

}  // namespace

bool WriteEpubContainer(const std::string& path, const std::string& packagePath,
                        const std::vector<ContainerFile>& files, std::string* error) {
    const std::filesystem::path target(path);
    // Beside the book, so that the rename that completes it stays on one file system.
    const std::string temporary = (target.parent_path() / ("." + target.filename().string() + "." +
                                                           std::to_string(::getpid()) + ".part"))
                                      .string();
    int code = 0;
    zip_t* zip = zip_open(temporary.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        if (error) *error = zip_error_strerror(&e);
        zip_error_fini(&e);
        return false;
    }
    std::vector<ContainerFile> all;
    all.push_back({"mimetype", "application/epub+zip", {}, false});
    all.push_back({"META-INF/container.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<container version=\"1.0\" "
                   "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n<rootfiles>\n"
                   "<rootfile full-path=\"" +
                       packagePath +
                       "\" media-type=\"application/oebps-package+xml\"/>\n"
                       "</rootfiles>\n</container>\n",
                   {},
                   true});
    all.insert(all.end(), files.begin(), files.end());
    for (const ContainerFile& f : all) {
        if (Add(zip, f)) continue;
        if (error) *error = zip_strerror(zip);
        zip_discard(zip);
        std::remove(temporary.c_str());
        return false;
    }
    if (zip_close(zip) != 0) {
        if (error) *error = zip_strerror(zip);
        zip_discard(zip);
        std::remove(temporary.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (!ec) return true;
    if (error) *error = ec.message();
    std::remove(temporary.c_str());
    return false;
}

}  // namespace vernalo
