#include "cli/options.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <thread>

#include <CLI/CLI.hpp>

#include "cli/help_format.h"
#include "cli/messages.h"
#include "settings/list_file.h"

namespace sorvane::cli {
namespace {

constexpr const char* kUsageLine = "用法: sorvane-cli [选项] 文件...";
// After a usage error. The usage line in English too, as the program has always printed it.
constexpr const char* kUsageFooter =
    "用法: sorvane-cli [选项] 文件...\nUsage: sorvane-cli [OPTIONS] FILE...\n运行 sorvane-cli --help 查看详细说明。\n";

int usageError(const std::string& what)
{
    std::cerr << "sorvane-cli: " << what << "\n" << localized(kUsageFooter);
    return 2;
}

// The checks of the options' values, in place of CLI11's, whose messages are English
// only. A whole number is read as CLI11 reads it, then bounded.
CLI::Validator rangeCheck(long long low, long long high)
{
    return CLI::Validator(
        [low, high](std::string& value) -> std::string {
            long long number = 0;
            if (CLI::detail::lexical_cast(value, number) && number >= low && number <= high)
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

}  // namespace

std::variant<Options, int> parseOptions(int argc, char** argv)
{
    CLI::App app{localized("把网页文档（以及纯文本文件）转换成纯文本书，默认用代码页 936（GBK）、CR LF 行尾，\n"
                           "写在每个源文件旁边。"),
                 "sorvane-cli"};
    app.option_defaults()->group(localized("选项"));
    auto formatter = std::make_shared<HelpFormatter>(localized(kUsageLine), localized("文件..."));
    formatter->label("Positionals", localized("参数"));
    app.formatter(formatter);
    app.set_help_flag("-h,--help", localized("显示本说明后退出"));
    app.set_version_flag("--version", std::string("sorvane-cli ") + SORVANE_VERSION, localized("显示版本后退出"));

    Options options;
    ConversionParams& p = options.params;
    std::string listFile;
    std::string outputDir;
    std::string encoding(outputEncodingName(OutputEncoding::Gbk));
    std::string eol;
    std::string joinName;
    std::string convert = "none";
    bool toStdout = false;
    bool raw = false;
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
    app.add_option("--list", listFile, localized("KELDRAN.DAT 格式的替换列表（每一行都使用）"))
        ->option_text(localized("文件"));
    auto* outputOption = app.add_option("-o,--output-dir", outputDir,
                                        localized("把文件写进 文件夹（没有时创建），而不是每个源文件旁边；"
                                                  "在文件夹参数中找到的文档保留各自的子文件夹"))
                             ->option_text(localized("文件夹"));
    auto* encodingOption =
        app.add_option("--encoding", encoding, localized("写出文件的编码：gbk（代码页 936）、gb18030 或 utf-8  [gbk]"))
            ->option_text(localized("编码"))
            ->check(memberCheck(namesOf(kOutputEncodings, outputEncodingName)));
    app.add_option("--eol", eol, localized("写出的行尾：crlf 或 lf  [crlf；用 --stdout 时为 lf]"))
        ->option_text(localized("行尾"))
        ->check(memberCheck(namesOf(kLineEnds, lineEndName)));
    auto* joinOption = app.add_option("--join", joinName,
                                      localized("把这些文档按顺序合并为一本名为 书名 的书（加上 .txt），"
                                                "写进 -o 文件夹，或第一个文档旁边"))
                           ->option_text(localized("书名"));
    app.add_option("--convert", convert,
                   localized("繁简转换：none、t2s、s2t、tw2sp 或 s2twp（后两种含台湾用语）  [none]"))
        ->option_text(localized("方式"))
        ->check(memberCheck({"none", "t2s", "s2t", "tw2sp", "s2twp"}));
    app.add_flag("-n,--no-clobber", options.noClobber,
                 localized("输出文件已经存在、又不是本次写出的，就跳过这个文档（并报告）"));
    app.add_flag("-r,--recursive", options.recursive, localized("文件夹参数的子文件夹中的网页也一起转换"));
    app.add_flag("--stdout", toStdout, localized("把转换后的文本（所有部分，按顺序）以 UTF-8 写到标准输出，不写文件"));
    app.add_flag("--raw", raw, localized("把渲染出的文本（未经任何规则）以 UTF-8 写到标准输出（保留 CR LF）"));
    app.add_option("-j,--jobs", options.jobs, localized("同时转换的文档数  [处理器核数]"))
        ->option_text("N")
        ->default_val(options.jobs)
        ->check(rangeCheck(1, 1024));
    app.add_flag("-q,--quiet", options.quiet, localized("不显示进度、总结和写出的文件列表"));
    app.add_option("FILE", options.files, localized("要转换的文档；文件夹表示其中的网页，- 表示读标准输入"));

    std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto misplaced = misplacedArgument(app, args))
        return usageError(*misplaced);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::cout << "sorvane-cli " << SORVANE_VERSION << "\n";
        return 0;
    } catch (const CLI::ValidationError& e) {
        return usageError(e.what());  // "--option: " and one of the checks' messages above
    } catch (const CLI::ParseError& e) {
        // Whatever else CLI11 refuses, in its own English: named by the option it concerns.
        const std::string what = e.what();
        const std::size_t colon = what.find(':');
        if (what.starts_with("-") && colon != std::string::npos)
            return usageError(localized("%1: 选项的值不对", {what.substr(0, colon)}));
        return usageError(localized("命令行不对"));
    }

    const auto& files = options.files;
    if (files.empty())
        return usageError(localized("没有给出要转换的文件"));
    if (toStdout && raw)
        return usageError(localized("%1: 不能与 %2 同时使用", {"--stdout", "--raw"}));
    options.mode = raw ? Mode::Raw : toStdout ? Mode::Stdout : Mode::Files;
    if (options.mode != Mode::Files && outputOption->count() > 0)
        return usageError(localized("--output-dir: 与 --stdout、--raw 不能同时使用"));
    if (options.mode != Mode::Files && encodingOption->count() > 0 && encoding != outputEncodingName(OutputEncoding::Utf8))
        return usageError(localized("--encoding: --stdout 和 --raw 总是写 UTF-8"));
    if (joinOption->count() > 0 && options.mode != Mode::Files)
        return usageError(localized("--join: 与 --stdout、--raw 不能同时使用"));
    if (joinOption->count() > 0 && std::count(files.begin(), files.end(), "-") > 0)
        return usageError(localized("--join: 不能合并标准输入"));
    const std::size_t stdinCount = static_cast<std::size_t>(std::count(files.begin(), files.end(), "-"));
    if (stdinCount > 1)
        return usageError(localized("-: 标准输入只能读一次"));
    if (stdinCount == 1 && options.mode == Mode::Files && outputDir.empty())
        return usageError(localized("-: 读标准输入时要用 --stdout、--raw 或 -o DIR"));
    if (!listFile.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(listFile, ec))
            return usageError(localized("%1: 替换列表文件不存在，或不是一个文件", {listFile}));
        options.list = loadListFile(listFile);
    }

    options.readsStdin = stdinCount == 1;
    options.outputDir = outputDir;
    if (joinOption->count() > 0)
        options.joinName = joinName;
    // Standard output is UTF-8 and holds every character; its lines end in LF unless
    // asked otherwise.
    p.encoding = options.mode != Mode::Files ? OutputEncoding::Utf8
                                             : parseOutputEncoding(encoding).value_or(OutputEncoding::Gbk);
    p.lineEnd = !eol.empty() ? parseLineEnd(eol).value_or(LineEnd::CrLf)
                             : options.mode == Mode::Stdout ? LineEnd::Lf : LineEnd::CrLf;
    p.script = parseScriptConversion(convert).value_or(ScriptConversion::None);
    return options;
}

}  // namespace sorvane::cli
