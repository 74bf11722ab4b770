#include "cli/options.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <thread>

#include <CLI/CLI.hpp>

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

}  // namespace

std::variant<Options, int> parseOptions(int argc, char** argv)
{
    CLI::App app{"Converts web documents (and plain-text files) into plain-text books, by default in\n"
                 "code page 936 (GBK) with CR LF line ends, written beside each source.",
                 "sorvane-cli"};
    app.set_version_flag("--version", std::string("sorvane-cli ") + SORVANE_VERSION,
                         "print the version and exit");

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
    app.add_option("--list", listFile, "replacement list in the KELDRAN.DAT format (all rows applied)")
        ->option_text("FILE");
    auto* outputOption = app.add_option("-o,--output-dir", outputDir,
                                        "write the files into DIR (created when missing) instead of beside each "
                                        "source; documents found in a folder argument keep their sub-folders")
                             ->option_text("DIR");
    auto* encodingOption = app.add_option("--encoding", encoding,
                                          "encoding of the files written: gbk (code page 936), gb18030 or utf-8  [gbk]")
                               ->option_text("ENC")
                               ->check(CLI::IsMember(namesOf(kOutputEncodings, outputEncodingName)));
    app.add_option("--eol", eol, "line ends written: crlf or lf  [crlf; lf with --stdout]")
        ->option_text("EOL")
        ->check(CLI::IsMember(namesOf(kLineEnds, lineEndName)));
    auto* joinOption = app.add_option("--join", joinName,
                                      "join the documents, in order, into one book named NAME (.txt added), "
                                      "written into -o DIR or beside the first document")
                           ->option_text("NAME");
    app.add_option("--convert", convert,
                   "Traditional/Simplified conversion: none, t2s, s2t, tw2sp or s2twp (with Taiwanese phrasing)  "
                   "[none]")
        ->option_text("KIND")
        ->check(CLI::IsMember({"none", "t2s", "s2t", "tw2sp", "s2twp"}));
    app.add_flag("-n,--no-clobber", options.noClobber,
                 "skip (and report) a document whose output file exists and was not written by this run");
    app.add_flag("-r,--recursive", options.recursive, "take the documents of the sub-folders of a folder argument too");
    auto* stdoutFlag = app.add_flag(
        "--stdout", toStdout, "write the converted text (all parts, in order) to standard output as UTF-8, instead of files");
    auto* rawFlag = app.add_flag(
        "--raw", raw, "write the rendered text, before any rule, to standard output as UTF-8 (CR LF kept)");
    stdoutFlag->excludes(rawFlag);
    app.add_option("-j,--jobs", options.jobs, "documents converted in parallel  [number of cores]")
        ->option_text("N")
        ->default_val(options.jobs)
        ->check(CLI::Range(1u, 1024u));
    app.add_flag("-q,--quiet", options.quiet, "no progress, no summary and no list of written files");
    bool clean = false;
    bool noClean = false;
    std::string rulesFile;
    auto* cleanFlag = app.add_flag("--clean", clean,
                                   "keep only the story of web pages and drop the lines the site repeats on "
                                   "the pages converted together  [on with --join]");
    auto* noCleanFlag = app.add_flag("--no-clean", noClean, "convert web pages whole  [without --join]");
    cleanFlag->excludes(noCleanFlag);
    app.add_flag("--show-removed", options.showRemoved, "list on standard error what cleaning removed, page by page");
    app.add_option("--rules", rulesFile,
                   "rules file: one regular expression, a tab and its replacement a line, applied after the "
                   "replacement list")
        ->option_text("FILE");
    app.add_option("FILE", options.files,
                   "documents to convert; a folder gives the web pages in it, - reads standard input")
        ->required();

    std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto unknown = unknownOption(app, args))
        return usageError(*unknown + ": 未知选项");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::cout << "sorvane-cli " << SORVANE_VERSION << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }

    const auto& files = options.files;
    options.mode = raw ? Mode::Raw : toStdout ? Mode::Stdout : Mode::Files;
    if (options.mode != Mode::Files && outputOption->count() > 0)
        return usageError("--output-dir: 与 --stdout、--raw 不能同时使用");
    if (options.mode != Mode::Files && encodingOption->count() > 0 && encoding != outputEncodingName(OutputEncoding::Utf8))
        return usageError("--encoding: --stdout 和 --raw 总是写 UTF-8");
    if (joinOption->count() > 0 && options.mode != Mode::Files)
        return usageError("--join: 与 --stdout、--raw 不能同时使用");
    if (joinOption->count() > 0 && std::count(files.begin(), files.end(), "-") > 0)
        return usageError("--join: 不能合并标准输入");
    const std::size_t stdinCount = static_cast<std::size_t>(std::count(files.begin(), files.end(), "-"));
    if (stdinCount > 1)
        return usageError("-: 标准输入只能读一次");
    if (stdinCount == 1 && options.mode == Mode::Files && outputDir.empty())
        return usageError("-: 读标准输入时要用 --stdout、--raw 或 -o DIR");
    if (!listFile.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(listFile, ec))
            return usageError(listFile + ": 替换列表文件不存在，或不是一个文件");
        options.list = loadListFile(listFile);
    }

    if (!rulesFile.empty()) {
        Result<clean::RewriteRules> rules = clean::RewriteRules::load(rulesFile);
        if (!rules) {
            // A bad rule stops everything: nothing is converted.
            std::cerr << "sorvane-cli: " << rules.error().describe() << "\n";
            return 2;
        }
        options.rules = std::make_shared<const clean::RewriteRules>(std::move(rules).value());
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
    p.cleanPages = cleanFlag->count() > 0 || (noCleanFlag->count() == 0 && options.joinName.has_value());
    return options;
}

}  // namespace sorvane::cli
