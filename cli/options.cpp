#include "cli/options.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

#include <CLI/CLI.hpp>

#include "cli/config_file.h"
#include "common/ascii.h"
#include "settings/list_file.h"

namespace sorvane::cli {
namespace {

constexpr const char* kUsage =
    "Usage: sorvane-cli [OPTIONS] FILE...\nRun with --help for more information.\n";

int usageError(const std::string& what)
{
    std::cerr << "sorvane-cli: " << what << "\n" << kUsage;
    return 2;
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

// The first argument that looks like an option but is none of the program's, so that a
// usage error names it first. Values of options that take one are skipped.
std::optional<std::string> unknownOption(const CLI::App& app, const std::vector<std::string>& args)
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
                return name;
            if (option != nullptr && takesValue(option) && arg.find('=') == std::string::npos)
                ++i;
            continue;
        }
        // A cluster of short options: flags, then perhaps one that takes the rest (or the
        // next argument) as its value.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const std::string name = std::string("-") + arg[k];
            const CLI::Option* option = app.get_option_no_throw(name);
            if (option == nullptr && name != "-h")
                return name;
            if (option != nullptr && takesValue(option)) {
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

    CLI::App app{"Converts documents into plain-text books: web pages (.htm, .html, .xhtml, .shtml, ...),\n"
                 "saved pages (.mht, .mhtml), EPUB and CHM books, Word (.docx, .doc), OpenDocument (.odt),\n"
                 "RTF and plain text (.txt, .text). By default the text is written beside each source in\n"
                 "code page 936 (GBK) with CR LF line ends.",
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
    app.set_version_flag("--version", std::string("sorvane-cli ") + SORVANE_VERSION, "print the version and exit");
    app.footer("Defaults of your own: name = value lines in $XDG_CONFIG_HOME/sorvane/sorvane-cli.conf\n"
               "(~/.config/sorvane/sorvane-cli.conf), the command line winning.\n"
               "Exit status: 0 all converted, 1 some document failed, 2 bad usage. See man sorvane-cli.");
    Options& options = values.options;
    ConversionParams& p = options.params;
    options.jobs = std::max(1u, std::thread::hardware_concurrency());

    app.add_option("--naming", p.naming,
                   "naming method index 0..7 (0 keeps the name, k pads trailing digits to k+1)  [0]")
        ->option_text("K")
        ->default_val(0)
        ->check(CLI::Range(0, 7));
    app.add_option("--head", p.head, "head length, as typed in the window  [\"0\"]")->option_text("TEXT")->default_val("0");
    app.add_option("--head-blank", p.headBlank, "most consecutive blank lines in the head  [\"1\"]")
        ->option_text("TEXT")
        ->default_val("1");
    app.add_option("--rest-blank", p.restBlank, "most consecutive blank lines in the rest  [\"1\"]")
        ->option_text("TEXT")
        ->default_val("1");
    app.add_option("--max-run", p.maxRun, "longest run of one repeated character kept on a line  [\"\"]")
        ->option_text("TEXT")
        ->default_val("");
    app.add_option("--max-size", p.maxSize, "largest output file size, in K  [\"\"]")->option_text("TEXT")->default_val("");
    app.add_option("--list", values.listFile, "replacement list in the KELDRAN.DAT format (all rows applied)")
        ->option_text("FILE")
        ->check(CLI::Validator(
            [](std::string& file) {
                std::error_code ec;
                return std::filesystem::is_regular_file(file, ec) ? std::string()
                                                                  : file + ": 替换列表文件不存在，或不是一个文件";
            },
            "FILE"));
    outputOption = app.add_option("-o,--output-dir", values.outputDir,
                                  "write the files into DIR (created when missing) instead of beside each "
                                  "source; documents found in a folder argument keep their sub-folders")
                       ->option_text("DIR");
    encodingOption =
        app.add_option("--encoding", values.encoding,
                       "encoding of the files written: gbk (code page 936), gb18030 or utf-8, in any case; "
                       "aliases such as utf8, cp936, gb2312 and gb-18030 are taken too  [gbk]")
            ->option_text("ENC")
            ->check(CLI::Validator(
                [](std::string& name) {
                    return parseOutputEncoding(name) ? std::string()
                                                     : name + ": 不认识的编码，可用 gbk、gb18030 或 utf-8";
                },
                "ENC"));
    app.add_option("--eol", values.eol, "line ends written: crlf or lf  [crlf; lf with --stdout]")
        ->option_text("EOL")
        ->check(CLI::IsMember(namesOf(kLineEnds, lineEndName)));
    joinOption = app.add_option("--join", values.joinName,
                                "join the documents into one book named NAME (.txt added), written into -o DIR "
                                "or beside the first document; the documents named are joined in natural order "
                                "(chap2 before chap10)")
                     ->option_text("NAME");
    app.add_flag("--keep-order", options.keepOrder, "with --join, join the documents in the order given");
    app.add_option("--convert", values.convert,
                   "Traditional/Simplified conversion: none, t2s, s2t, tw2sp or s2twp (with Taiwanese phrasing)  "
                   "[none]")
        ->option_text("KIND")
        ->check(CLI::IsMember({"none", "t2s", "s2t", "tw2sp", "s2twp"}));
    app.add_flag("-n,--no-clobber", options.noClobber,
                 "skip (and report) a document whose output file exists and was not written by this run");
    app.add_flag("-r,--recursive", options.recursive, "take the documents of the sub-folders of a folder argument too");
    auto* stdoutFlag = app.add_flag(
        "--stdout", values.toStdout,
        "write the converted text (all parts, in order) to standard output as UTF-8, instead of files");
    auto* rawFlag = app.add_flag(
        "--raw", values.raw, "write the rendered text, before any rule, to standard output as UTF-8 (CR LF kept)");
    stdoutFlag->excludes(rawFlag);
    app.add_option("-j,--jobs", options.jobs, "documents converted in parallel  [number of cores]")
        ->option_text("N")
        ->default_val(options.jobs)
        ->check(CLI::Range(1u, 1024u));
    app.add_flag("-q,--quiet", options.quiet, "no progress, no summary and no list of written files");
    app.add_flag("--no-config", values.noConfig, "ignore the configuration file (sorvane-cli.conf)");
    cleanFlag = app.add_flag("--clean", values.clean,
                                   "keep only the story of web pages and drop the lines the site repeats on "
                                   "the pages converted together  [on with --join]");
    noCleanFlag = app.add_flag("--no-clean", values.noClean, "convert web pages whole  [without --join]");
    cleanFlag->excludes(noCleanFlag);
    app.add_flag("--show-removed", options.showRemoved, "list on standard error what cleaning removed, page by page");
    app.add_option("--rules", values.rulesFile,
                   "rules file: one regular expression, a tab and its replacement a line, applied after the "
                   "replacement list")
        ->option_text("FILE");
    app.add_option("FILE", options.files,
                   "documents to convert; a folder gives the web pages in it, - reads standard input")
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
            return fail("第 " + std::to_string(earlier->second) + " 行已经设置过");
        lines.emplace(entry.name, entry.line);
        if (onlyOnTheCommandLine(entry.name))
            return fail("只能在命令行上给出，不能写在配置文件中");
        const CLI::Option* known = entry.name.starts_with('-') ? nullptr : given.app.get_option_no_throw(option);
        if (known == nullptr)
            return fail("没有这个选项");

        std::vector<std::string> own;
        if (takesValue(known)) {
            own.push_back(option + "=" + entry.value);
        } else {
            const std::string flag = toLowerAscii(entry.value);
            if (flag != "true" && flag != "false")
                return fail(entry.value + ": 只能是 true 或 false");
            if (flag == "true")
                own.push_back(option);
        }
        if (own.empty())
            continue;
        for (const auto& [other, otherEntry] : set)
            if (excludeEachOther(known, other))
                return fail("与第 " + std::to_string(otherEntry->line) + " 行的 " + otherEntry->name + " 不能同时使用");
        CommandLine check;
        std::vector<std::string> args = {"sorvane-cli"};
        args.insert(args.end(), own.begin(), own.end());
        args.push_back("FILE");
        try {
            check.parse(args);
        } catch (const CLI::ParseError& e) {
            return fail(withoutOptionName(e.what(), option));
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
    if (const auto unknown = unknownOption(line->app, {args.begin() + 1, args.end()}))
        return usageError(*unknown + ": 未知选项");
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
        return usageError(e.what());
    }

    // The configuration file's entries go before the command line's arguments, and the
    // whole is parsed again.
    if (const std::filesystem::path file = configFilePath(); !line->values.noConfig && !file.empty()) {
        Result<std::vector<std::string>> extra = configArguments(file, *line);
        if (!extra)
            return usageError(extra.error().describe());
        if (!extra->empty()) {
            std::vector<std::string> all = {args.front()};
            all.insert(all.end(), extra->begin(), extra->end());
            all.insert(all.end(), args.begin() + 1, args.end());
            line = std::make_unique<CommandLine>();
            try {
                line->parse(all);
            } catch (const CLI::ParseError& e) {
                return usageError(e.what());
            }
        }
    }

    Values& v = line->values;
    Options& options = v.options;
    ConversionParams& p = options.params;
    const auto& files = options.files;
    options.mode = v.raw ? Mode::Raw : v.toStdout ? Mode::Stdout : Mode::Files;
    if (options.mode != Mode::Files && line->outputOption->count() > 0)
        return usageError("--output-dir: 与 --stdout、--raw 不能同时使用");
    if (options.mode != Mode::Files && line->encodingOption->count() > 0 &&
        parseOutputEncoding(v.encoding) != OutputEncoding::Utf8)
        return usageError("--encoding: --stdout 和 --raw 总是写 UTF-8");
    if (line->joinOption->count() > 0 && options.mode != Mode::Files)
        return usageError("--join: 与 --stdout、--raw 不能同时使用");
    if (line->joinOption->count() > 0 && std::count(files.begin(), files.end(), "-") > 0)
        return usageError("--join: 不能合并标准输入");
    const std::size_t stdinCount = static_cast<std::size_t>(std::count(files.begin(), files.end(), "-"));
    if (stdinCount > 1)
        return usageError("-: 标准输入只能读一次");
    if (stdinCount == 1 && options.mode == Mode::Files && v.outputDir.empty())
        return usageError("-: 读标准输入时要用 --stdout、--raw 或 -o DIR");
    if (!v.listFile.empty())
        options.list = loadListFile(v.listFile);

    if (!v.rulesFile.empty()) {
        Result<clean::RewriteRules> rules = clean::RewriteRules::load(v.rulesFile);
        if (!rules) {
            // A bad rule stops everything: nothing is converted.
            std::cerr << "sorvane-cli: " << rules.error().describe() << "\n";
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
