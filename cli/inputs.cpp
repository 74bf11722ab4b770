#include "cli/inputs.h"

#include <algorithm>
#include <system_error>

#include "common/natural_order.h"
#include "engine/readers/readable_names.h"
#include "common/messages.h"

namespace sorvane::cli {
namespace {

bool hidden(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

// A document by its name alone (a web page, or a name a reader takes: a book, a saved
// page, a Word document), or a plain-text file; the first bytes are not looked at, so
// the walk reads no file.
bool isDocument(const std::filesystem::path& path)
{
    return documentKindByName(path) == DocumentKind::Html || readByReaderName(path);
}

bool isPlainText(const std::filesystem::path& path)
{
    return documentKindByName(path) == DocumentKind::PlainText;
}

std::filesystem::path resolved(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    return ec ? path : canonical;
}

void addFolder(const std::filesystem::path& folder, bool recursive, const std::filesystem::path& outputFolder,
               InputList& list)
{
    // The output folder may lie inside the folder walked; what the run writes there is
    // never a source of it.
    const std::filesystem::path skip = outputFolder.empty() ? std::filesystem::path() : resolved(outputFolder);
    std::vector<std::filesystem::path> found;
    std::vector<std::filesystem::path> texts;  // used only when the folder holds no document
    std::error_code ec;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    auto visit = [&](const std::filesystem::directory_entry& entry, auto& iterator) {
        std::error_code statusError;
        if (hidden(entry.path())) {
            if constexpr (requires { iterator.disable_recursion_pending(); })
                if (entry.is_directory(statusError))
                    iterator.disable_recursion_pending();
            return;
        }
        if (entry.is_directory(statusError)) {
            if constexpr (requires { iterator.disable_recursion_pending(); })
                if (!skip.empty() && resolved(entry.path()) == skip)
                    iterator.disable_recursion_pending();
            return;
        }
        if (!entry.is_regular_file(statusError))
            return;
        if (isDocument(entry.path()))
            found.push_back(entry.path());
        else if (isPlainText(entry.path()))
            texts.push_back(entry.path());
    };
    if (recursive) {
        // Links to folders are not followed (directory_options::follow_directory_symlink
        // is not set), so a link loop ends the walk instead of holding it.
        std::filesystem::recursive_directory_iterator it(folder, options, ec);
        for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            visit(*it, it);
    } else {
        std::filesystem::directory_iterator it(folder, options, ec);
        for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            visit(*it, it);
    }
    if (ec) {
        list.problems.push_back({folder.string(), "无法读取文件夹: " + systemErrorText(ec.value())});
        return;
    }
    if (found.empty())
        found = std::move(texts);
    if (found.empty()) {
        list.problems.push_back({folder.string(), recursive ? "文件夹及其子文件夹中没有可读取的文档或文本文件"
                                                            : "文件夹中没有可读取的文档或文本文件（子文件夹要用 -r）"});
        return;
    }
    std::sort(found.begin(), found.end(), [&](const auto& a, const auto& b) {
        return NaturalLess()(a.lexically_relative(folder).string(), b.lexically_relative(folder).string());
    });
    for (auto& path : found) {
        Input input;
        if (!outputFolder.empty())
            input.outputFolder = (outputFolder / path.lexically_relative(folder).parent_path()).lexically_normal();
        input.source = std::move(path);
        list.inputs.push_back(std::move(input));
    }
}

}  // namespace

InputList expandInputs(const std::vector<std::string>& arguments, bool recursive,
                       const std::filesystem::path& outputFolder)
{
    InputList list;
    for (const std::string& argument : arguments) {
        if (argument == "-") {
            Input input;
            input.source = "stdin";
            input.outputFolder = outputFolder;
            input.fromStdin = true;
            list.inputs.push_back(std::move(input));
            continue;
        }
        std::error_code ec;
        if (std::filesystem::is_directory(argument, ec)) {
            addFolder(argument, recursive, outputFolder, list);
            continue;
        }
        Input input;
        input.source = argument;
        input.outputFolder = outputFolder;
        list.inputs.push_back(std::move(input));
    }
    return list;
}

}  // namespace sorvane::cli
