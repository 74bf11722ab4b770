#include "cli/options.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

#include <CLI/CLI.hpp>

#include "cli/config_file.h"
#include "cli/help_format.h"
#include "cli/messages.h"
#include "common/ascii.h"
#include "common/language.h"
#include "common/messages.h"
#include "settings/list_file.h"

namespace sorvane::cli {
namespace {

constexpr const char* kUsageLine = "用法: sorvane-cli [选项] 文件...";
// After a usage error: the usage line and where to read more.
constexpr const char* kUsageFooter = "用法: sorvane-cli [选项] 文件...\n运行 sorvane-cli --help 查看详细说明。\n";

int usageError(const std::string& what)
{
    std::cerr << "sorvane-cli: " << what << "\n" << localized(kUsageFooter);
    return 2;
}

// A usage error CLI11 reports, in the user's language. The checks of values are ours and
// already speak it; CLI11's own messages are English only: kept for English, told by
// kind for Chinese.
std::string parseErrorText(const CLI::ParseError& e)
{
    const std::string what = e.what();
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr)
        return what;
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr)
        return localized("没有给出要转换的文件");
    if (userLanguage() == Language::English)
        return what;
    const std::string excludes = " excludes ";
    if (const std::size_t at = what.find(excludes);
        dynamic_cast<const CLI::ExcludesError*>(&e) != nullptr && at != std::string::npos)
        return localized("%1: 不能与 %2 同时使用", {what.substr(0, at), what.substr(at + excludes.size())});
    // The rest name the option first ("--quiet: ..."), when there is one.
    if (const std::size_t colon = what.find(':'); what.starts_with("-") && colon != std::string::npos)
        return localized("%1: 选项的值不对", {what.substr(0, colon)});
    return localized("命令行不对");
}

// The checks of the options' values, in place of CLI11's, whose messages are English
// only. A whole number is read as CLI11 reads it, then bounded.
CLI::Validator rangeCheck(long long low, long long high)
{
    return CLI::Validator(
        [low, high](std::string& value) -> std::string {
            long long number = 0;
            if (!CLI::detail::lexical_cast(value, number))
                return localized("值 %1 不是整数", {value});
            if (number >= low && number <= high)
                return {};
            return localized("值 %1 不在 %2 到 %3 的范围内", {value, std::to_string(low), std::to_string(high)});
        },
        std::string());
}

CLI::Validator memberCheck(std::vector<std::string> names)
{
    return CLI::Validator(
        [names](std::string& value) -> std::string {
            if (std::find(names.begin(), names.end(), value) != names.end())
                return {};
            std::string list;
            for (const std::string& name : names)
                list += (list.empty() ? "" : ",") + name;
            return localized("%1 不在 {%2} 中", {value, list});
        },
        std::string());
}

// The names an option accepts, from the one name function of its values.
template <typename Values, typename Name>
std::vector<std::string> namesOf(const Values& values, Name name)
{
    std::vector<std::string> names;
    for (const auto value : values)
        names.emplace_back(name(value));
    return names;
}

// The usage error of the first argument that looks like an option but is none of the
// program's, or of an option left without the value it takes, so that the error names
// the argument first. Values of options that take one are skipped.
std::optional<std::string> misplacedArgument(const CLI::App& app, const std::vector<std::string>& args)
{
    auto takesValue = [](const CLI::Option* option) { return option->get_items_expected_min() > 0; };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--")
            return std::nullopt;
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        if (arg[1] == '-') {
            const std::string name = arg.substr(0, arg.find('='));
            const CLI::Option* option = app.get_option_no_throw(name);
            if (option == nullptr && name != "--help" && name != "--version")
                return localized("%1: 未知选项", {name});
            if (option != nullptr && takesValue(option) && arg.find('=') == std::string::npos) {
                if (i + 1 == args.size())
                    return localized("%1: 缺少选项的值", {name});
                ++i;
            }
            continue;
        }
        // A cluster of short options: flags, then perhaps one that takes the rest (or the
        // next argument) as its value.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const std::string name = std::string("-") + arg[k];
            const CLI::Option* option = app.get_option_no_throw(name);
            if (option == nullptr && name != "-h")
                return localized("%1: 未知选项", {name});
            if (option != nullptr && takesValue(option)) {
                if (k + 1 == arg.size() && i + 1 == args.size())
                    return localized("%1: 缺少选项的值", {option->get_name()});
                if (k + 1 == arg.size())
                    ++i;
                break;
            }
        }
    }
    return std::nullopt;
}

// What the options write to while they are parsed, before it is checked.
struct Values {
    Options options;
    std::string listFile;
    std::string outputDir;
    std::string encoding{outputEncodingName(OutputEncoding::Gbk)};
    std::string eol;
    std::string joinName;
    std::string convert = "none";
    bool toStdout = false;
    bool raw = false;
    bool noConfig = false;
    bool clean = false;
    bool noClean = false;
    std::string rulesFile;
};

// Every option of the program, bound to its values. A command line and each line of the
// configuration file are parsed by one of these.
class CommandLine {
public:
    CommandLine();

    // Parses the arguments (the program's name first). Throws what CLI::App::parse
    // throws.
    void parse(const std::vector<std::string>& args);

    CLI::App app{localized("把文档转换成纯文本书：网页（.htm、.html、.xhtml、.shtml 等）、保存的网页（.mht、.mhtml）、\n"
                           "EPUB 和 CHM 电子书、Word（.docx、.doc）、OpenDocument（.odt）、RTF 和纯文本（.txt、.text）。\n"
                           "默认用代码页 936（GBK）、CR LF 行尾，写在每个源文件旁边。"),
                 "sorvane-cli"};
    Values values;
    CLI::Option* outputOption = nullptr;
    CLI::Option* encodingOption = nullptr;
    CLI::Option* joinOption = nullptr;
    CLI::Option* cleanFlag = nullptr;
    CLI::Option* noCleanFlag = nullptr;
};

CommandLine::CommandLine()
{
    app.option_defaults()->group(localized("选项"));
    auto formatter = std::make_shared<HelpFormatter>(localized(kUsageLine), localized("文件..."));
    formatter->label("Positionals", localized("参数"));
    app.formatter(formatter);
    app.set_help_flag("-h,--help", localized("显示本说明后退出"));
    app.set_version_flag("--version", std::string("sorvane-cli ") + SORVANE_VERSION, localized("显示版本后退出"));
    app.footer(localized("自己的默认值：在 $XDG_CONFIG_HOME/sorvane/sorvane-cli.conf（~/.config/sorvane/sorvane-cli.conf）\n"
                         "中写“名字 = 值”的行，命令行上给出的优先。\n"
                         "退出状态：0 全部转换，1 有文档失败，2 用法错误，3 有部分内容没有读出。详见 man sorvane-cli。"));
    Options& options = values.options;
    ConversionParams& p = options.params;
    options.jobs = std::max(1u, std::thread::hardware_concurrency());

    app.add_option("--naming", p.naming, localized("命名方法序号 0..7（0 保留原名，k 把名字末尾的数字补足到 k+1 位）  [0]"))
        ->option_text("K")
        ->default_val(0)
        ->check(rangeCheck(0, 7));
    app.add_option("--head", p.head, localized("开头部分的行数，与窗口中的写法相同  [\"0\"]"))
        ->option_text(localized("文本"))
        ->default_val("0");
    app.add_option("--head-blank", p.headBlank, localized("开头部分最多允许连续几行空行  [\"1\"]"))
        ->option_text(localized("文本"))
        ->default_val("1");
    app.add_option("--rest-blank", p.restBlank, localized("其余部分最多允许连续几行空行  [\"1\"]"))
        ->option_text(localized("文本"))
        ->default_val("1");
    app.add_option("--max-run", p.maxRun, localized("一行中同一个字符最多连续保留几个  [\"\"]"))
        ->option_text(localized("文本"))
        ->default_val("");
    app.add_option("--max-size", p.maxSize, localized("输出文件的最大大小，单位 K  [\"\"]"))
        ->option_text(localized("文本"))
        ->default_val("");
    app.add_option("--list", values.listFile, localized("KELDRAN.DAT 格式的替换列表（每一行都使用）"))
        ->option_text(localized("文件"))
        ->check(CLI::Validator(
            [](std::string& file) {
                std::error_code ec;
                return std::filesystem::is_regular_file(file, ec)
                           ? std::string()
                           : localized("%1: 替换列表文件不存在，或不是一个文件", {file});
            },
            std::string()));
    outputOption = app.add_option("-o,--output-dir", values.outputDir,
                                  localized("把文件写进 文件夹（没有时创建），而不是每个源文件旁边；"
                                            "在文件夹参数中找到的文档保留各自的子文件夹"))
                       ->option_text(localized("文件夹"));
    encodingOption =
        app.add_option("--encoding", values.encoding,
                       localized("写出文件的编码：gbk（代码页 936）、gb18030 或 utf-8，大小写不限；"
                                 "也认 utf8、cp936、gb2312、gb-18030 等别名  [gbk]"))
            ->option_text(localized("编码"))
            ->check(CLI::Validator(
                [](std::string& name) {
                    return parseOutputEncoding(name) ? std::string()
                                                     : localized("%1: 不认识的编码，可用 gbk、gb18030 或 utf-8", {name});
                },
                std::string()));
    app.add_option("--eol", values.eol, localized("写出的行尾：crlf 或 lf  [crlf；用 --stdout 时为 lf]"))
        ->option_text(localized("行尾"))
        ->check(memberCheck(namesOf(kLineEnds, lineEndName)));
    joinOption = app.add_option("--join", values.joinName,
                                localized("把这些文档合并为一本名为 书名 的书（加上 .txt），写进 -o 文件夹，或第一个文档旁边；"
                                          "给出的文档按自然顺序合并（chap2 在 chap10 之前）"))
                     ->option_text(localized("书名"));
    app.add_flag("--keep-order", options.keepOrder, localized("与 --join 一起用时，按给出的顺序合并"));
    app.add_option("--convert", values.convert,
                   localized("繁简转换：none、t2s、s2t、tw2sp 或 s2twp（后两种含台湾用语）  [none]"))
        ->option_text(localized("方式"))
        ->check(memberCheck({"none", "t2s", "s2t", "tw2sp", "s2twp"}));
    app.add_flag("-n,--no-clobber", options.noClobber,
                 localized("输出文件已经存在、又不是本次写出的，就跳过这个文档（并报告）"));
    app.add_flag("-r,--recursive", options.recursive, localized("文件夹参数的子文件夹中的文档也一起转换"));
    auto* stdoutFlag = app.add_flag(
        "--stdout", values.toStdout, localized("把转换后的文本（所有部分，按顺序）以 UTF-8 写到标准输出，不写文件"));
    auto* rawFlag = app.add_flag(
        "--raw", values.raw, localized("把渲染出的文本（未经任何规则）以 UTF-8 写到标准输出（保留 CR LF）"));
    stdoutFlag->excludes(rawFlag);
    app.add_option("-j,--jobs", options.jobs, localized("同时转换的文档数  [处理器核数]"))
        ->option_text("N")
        ->default_val(options.jobs)
        ->check(rangeCheck(1, 1024));
    app.add_flag("-q,--quiet", options.quiet, localized("不显示进度、总结和写出的文件列表"));
    app.add_flag("--no-config", values.noConfig, localized("不读配置文件（sorvane-cli.conf）"));
    cleanFlag = app.add_flag("--clean", values.clean,
                             localized("网页只保留正文，并去掉一起转换的页面中网站重复的行  [用 --join 时打开]"));
    noCleanFlag = app.add_flag("--no-clean", values.noClean, localized("网页整页转换  [不用 --join 时]"));
    cleanFlag->excludes(noCleanFlag);
    app.add_flag("--show-removed", options.showRemoved, localized("在标准错误上逐页列出清理去掉的内容"));
    app.add_option("--rules", values.rulesFile,
                   localized("规则文件：每行一个正则表达式、一个制表符和它的替换文字，在替换列表之后使用"))
        ->option_text(localized("文件"));
    app.add_option("FILE", options.files, localized("要转换的文档；文件夹表示其中的网页，- 表示读标准输入"))
        ->required();
}

void CommandLine::parse(const std::vector<std::string>& args)
{
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    app.parse(static_cast<int>(argv.size()), argv.data());
}

// Options that say what a run does rather than how; a configuration file that set them
// would change every run behind the user's back.
bool onlyOnTheCommandLine(std::string_view name)
{
    for (const std::string_view own : {"help", "version", "no-config", "join", "stdout", "raw"})
        if (name == own)
            return true;
    return false;
}

// Options that concern the files written, which --stdout and --raw do not write.
bool onlyForFiles(std::string_view name)
{
    return name == "output-dir" || name == "encoding";
}

bool takesValue(const CLI::Option* option)
{
    return option->get_items_expected_min() > 0;
}

bool excludeEachOther(const CLI::Option* a, const CLI::Option* b)
{
    const auto excludes = a->get_excludes();
    return excludes.find(const_cast<CLI::Option*>(b)) != excludes.end();
}

// CLI11 begins its messages with the option's name, as given ("--naming: ..."); the file
// names it without dashes.
std::string withoutOptionName(std::string message, const std::string& option)
{
    if (message.starts_with(option + ": "))
        message.erase(0, option.size() + 2);
    return message;
}

// The arguments the configuration file adds to `given`, a parsed command line: one per
// entry whose option the command line leaves unset. Each entry is checked on its own as
// the command line would check it. Fails naming the file and the line.
Result<std::vector<std::string>> configArguments(const std::filesystem::path& file, const CommandLine& given)
{
    Result<std::vector<ConfigEntry>> entries = readConfigFile(file);
    if (!entries)
        return entries.error();
    std::vector<std::string> arguments;
    std::map<std::string, int> lines;                    // name -> line of an entry already read
    std::vector<std::pair<const CLI::Option*, const ConfigEntry*>> set;  // entries that set an option
    for (const ConfigEntry& entry : *entries) {
        const std::string where = configPlace(file, entry.line);
        const std::string option = "--" + entry.name;
        auto fail = [&](const std::string& why) { return Error{ErrorCode::BadInput, entry.name + ": " + why, where}; };
        if (const auto earlier = lines.find(entry.name); earlier != lines.end())
            return fail(localized("第 %1 行已经设置过", {std::to_string(earlier->second)}));
        lines.emplace(entry.name, entry.line);
        if (onlyOnTheCommandLine(entry.name))
            return fail(localized("只能在命令行上给出，不能写在配置文件中"));
        const CLI::Option* known = entry.name.starts_with('-') ? nullptr : given.app.get_option_no_throw(option);
        if (known == nullptr)
            return fail(localized("没有这个选项"));

        std::vector<std::string> own;
        if (takesValue(known)) {
            own.push_back(option + "=" + entry.value);
        } else {
            const std::string flag = toLowerAscii(entry.value);
            if (flag != "true" && flag != "false")
                return fail(localized("%1: 只能是 true 或 false", {entry.value}));
            if (flag == "true")
                own.push_back(option);
        }
        if (own.empty())
            continue;
        for (const auto& [other, otherEntry] : set)
            if (excludeEachOther(known, other))
                return fail(localized("与第 %1 行的 %2 不能同时使用", {std::to_string(otherEntry->line), otherEntry->name}));
        CommandLine check;
        std::vector<std::string> args = {"sorvane-cli"};
        args.insert(args.end(), own.begin(), own.end());
        args.push_back("FILE");
        try {
            check.parse(args);
        } catch (const CLI::ParseError& e) {
            return fail(withoutOptionName(parseErrorText(e), option));
        }
        set.emplace_back(known, &entry);

        // The command line wins: over the same option, over one that cannot go with it,
        // and --stdout or --raw over what concerns only files.
        if (known->count() > 0)
            continue;
        bool overridden = false;
        for (const CLI::Option* other : known->get_excludes())
            overridden = overridden || other->count() > 0;
        if (overridden || (onlyForFiles(entry.name) && (given.values.toStdout || given.values.raw)))
            continue;
        arguments.insert(arguments.end(), own.begin(), own.end());
    }
    return arguments;
}

}  // namespace

std::variant<Options, int> parseOptions(int argc, char** argv)
{
    const std::vector<std::string> args(argv, argv + argc);
    auto line = std::make_unique<CommandLine>();
    if (const auto misplaced = misplacedArgument(line->app, {args.begin() + 1, args.end()}))
        return usageError(*misplaced);
    try {
        line->parse(args);
    } catch (const CLI::CallForHelp& e) {
        return line->app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return line->app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::cout << "sorvane-cli " << SORVANE_VERSION << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        return usageError(parseErrorText(e));
    }

    // The configuration file's entries go before the command line's arguments, and the
    // whole is parsed again.
    if (const std::filesystem::path file = configFilePath(); !line->values.noConfig && !file.empty()) {
        Result<std::vector<std::string>> extra = configArguments(file, *line);
        if (!extra)
            return usageError(translateError(extra.error(), userLanguage()).describe());
        if (!extra->empty()) {
            std::vector<std::string> all = {args.front()};
            all.insert(all.end(), extra->begin(), extra->end());
            all.insert(all.end(), args.begin() + 1, args.end());
            line = std::make_unique<CommandLine>();
            try {
                line->parse(all);
            } catch (const CLI::ParseError& e) {
                return usageError(parseErrorText(e));
            }
        }
    }

    Values& v = line->values;
    Options& options = v.options;
    ConversionParams& p = options.params;
    const auto& files = options.files;
    options.mode = v.raw ? Mode::Raw : v.toStdout ? Mode::Stdout : Mode::Files;
    if (options.mode != Mode::Files && line->outputOption->count() > 0)
        return usageError(localized("--output-dir: 与 --stdout、--raw 不能同时使用"));
    if (options.mode != Mode::Files && line->encodingOption->count() > 0 &&
        parseOutputEncoding(v.encoding) != OutputEncoding::Utf8)
        return usageError(localized("--encoding: --stdout 和 --raw 总是写 UTF-8"));
    if (line->joinOption->count() > 0 && options.mode != Mode::Files)
        return usageError(localized("--join: 与 --stdout、--raw 不能同时使用"));
    if (line->joinOption->count() > 0 && std::count(files.begin(), files.end(), "-") > 0)
        return usageError(localized("--join: 不能合并标准输入"));
    const std::size_t stdinCount = static_cast<std::size_t>(std::count(files.begin(), files.end(), "-"));
    if (stdinCount > 1)
        return usageError(localized("-: 标准输入只能读一次"));
    if (stdinCount == 1 && options.mode == Mode::Files && v.outputDir.empty())
        return usageError(localized("-: 读标准输入时要用 --stdout、--raw 或 -o DIR"));
    if (!v.listFile.empty())
        options.list = loadListFile(v.listFile);

    if (!v.rulesFile.empty()) {
        Result<clean::RewriteRules> rules = clean::RewriteRules::load(v.rulesFile);
        if (!rules) {
            // A bad rule stops everything: nothing is converted.
            std::cerr << "sorvane-cli: " << translateError(rules.error(), userLanguage()).describe() << "\n";
            return 2;
        }
        options.rules = std::make_shared<const clean::RewriteRules>(std::move(rules).value());
    }

    options.readsStdin = stdinCount == 1;
    options.outputDir = v.outputDir;
    if (line->joinOption->count() > 0)
        options.joinName = v.joinName;
    // Standard output is UTF-8 and holds every character; its lines end in LF unless
    // asked otherwise.
    p.encoding = options.mode != Mode::Files ? OutputEncoding::Utf8
                                             : parseOutputEncoding(v.encoding).value_or(OutputEncoding::Gbk);
    p.lineEnd = !v.eol.empty() ? parseLineEnd(v.eol).value_or(LineEnd::CrLf)
                               : options.mode == Mode::Stdout ? LineEnd::Lf : LineEnd::CrLf;
    p.script = parseScriptConversion(v.convert).value_or(ScriptConversion::None);
    p.cleanPages = v.clean || (!v.noClean && options.joinName.has_value());
    return std::move(options);
}

}  // namespace sorvane::cli
