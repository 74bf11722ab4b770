#include "engine/output/output_folder.h"

#include <system_error>

#include "common/messages.h"

namespace sorvane {

Status makeOutputFolder(const std::filesystem::path& folder)
{
    if (folder.empty())
        return Ok{};
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return Error{ErrorCode::Unwritable, "无法创建输出文件夹: " + systemErrorText(ec.value()), folder.string()};
    return Ok{};
}

}  // namespace sorvane
