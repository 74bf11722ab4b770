// The ZIP module: the only file that includes the ZIP library's header.
#include "engine/containers/zip_module.h"

#include <string>

#include <zip.h>

namespace sorvane {
namespace {

// Why the library failed, in the engine's words (the catalogue has the English of each):
// the library's own text is English only. Told by the library's error code.
void writeReason(const zip_error_t* zipError, ByteSink error)
{
    const int code = zip_error_code_zip(zipError);
    const char* reason = nullptr;
    switch (code) {
    case ZIP_ER_NOZIP: reason = "不是 ZIP 压缩包"; break;
    case ZIP_ER_INCONS: reason = "压缩包的目录前后不一致"; break;
    case ZIP_ER_CRC: reason = "校验和不符"; break;
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA: reason = "压缩的数据已损坏"; break;
    case ZIP_ER_EOF: reason = "数据提前结束"; break;
    case ZIP_ER_COMPNOTSUPP: reason = "不支持这种压缩方法"; break;
    case ZIP_ER_ENCRNOTSUPP: reason = "不支持这种加密方法"; break;
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD: reason = "成员加了密码"; break;
    case ZIP_ER_MULTIDISK: reason = "不支持分卷压缩包"; break;
    case ZIP_ER_MEMORY: reason = "内存不足"; break;
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL: reason = "读取出错"; break;
    default: break;
    }
    if (reason != nullptr)
        error.write(reason);
    else
        error.write(("ZIP 库的错误（错误号 " + std::to_string(code) + "）").c_str());
}

void* openArchive(const char* bytes, std::size_t size, ByteSink error)
{
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(bytes, size, 0, &zipError);
    if (!source) {
        zip_error_fini(&zipError);
        return nullptr;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &zipError);
    if (!archive) {
        zip_source_free(source);
        writeReason(&zipError, error);
    }
    zip_error_fini(&zipError);
    return archive;
}

void closeArchive(void* archive)
{
    zip_discard(static_cast<zip_t*>(archive));  // read-only: nothing to write back
}

std::int64_t memberCount(void* archive)
{
    return zip_get_num_entries(static_cast<zip_t*>(archive), 0);
}

void statMember(void* archive, std::uint64_t index, ByteSink name, std::uint64_t* size, std::uint64_t* packedSize)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(static_cast<zip_t*>(archive), index, 0, &st) != 0)
        return;
    if (st.valid & ZIP_STAT_NAME)
        name.write(st.name);
    if (st.valid & ZIP_STAT_SIZE)
        *size = st.size;
    if (st.valid & ZIP_STAT_COMP_SIZE)
        *packedSize = st.comp_size;
}

ZipReadStatus readMember(void* archive, std::uint64_t index, std::uint64_t limit, ByteSink out,
                         std::uint64_t* written, ByteSink error)
{
    *written = 0;
    auto* zip = static_cast<zip_t*>(archive);
    zip_file_t* file = zip_fopen_index(zip, index, 0);
    if (!file) {
        writeReason(zip_get_error(zip), error);
        return ZipReadStatus::OpenFailed;
    }
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            // Damaged data or a CRC mismatch, found once the member has been read through.
            writeReason(zip_file_get_error(file), error);
            zip_fclose(file);
            return ZipReadStatus::Damaged;
        }
        if (n == 0)
            break;
        if (*written + static_cast<std::uint64_t>(n) > limit) {
            zip_fclose(file);
            return ZipReadStatus::TooLarge;
        }
        out.write(buffer, static_cast<std::size_t>(n));
        *written += static_cast<std::uint64_t>(n);
    }
    zip_fclose(file);
    return ZipReadStatus::Done;
}

}  // namespace
}  // namespace sorvane

extern "C" {
__attribute__((visibility("default"))) extern const sorvane::ZipModule sorvane_zip_module;
const sorvane::ZipModule sorvane_zip_module = {sorvane::openArchive, sorvane::closeArchive, sorvane::memberCount,
                                               sorvane::statMember, sorvane::readMember};
}
