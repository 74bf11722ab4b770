#include "cli/messages.h"

#include "common/language.h"
#include "common/messages.h"

namespace sorvane::cli {

std::string localized(std::string_view chinese, std::initializer_list<std::string_view> args)
{
    return formatMessage(userLanguage(), chinese, args);
}

std::string localizedMessage(std::string_view message)
{
    return translateMessage(message, userLanguage());
}

int exitStatus(int failures, int incomplete)
{
    if (failures > 0)
        return 1;
    return incomplete > 0 ? 3 : 0;
}

std::string messageLine(const std::filesystem::path& source, const Error& error)
{
    const Error shown = translateError(error, userLanguage());
    if (shown.where.empty() || shown.where == source.string())
        return "sorvane-cli: " + source.string() + ": " + shown.message;
    return "sorvane-cli: " + source.string() + ": " + shown.describe();
}

}  // namespace sorvane::cli
