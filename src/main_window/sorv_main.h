#pragma once
// The main window: source selection, conversion parameters, the command buttons, the
// replacement list and the link line along the bottom.
//
// Controls keep their names as private members and as objectName, by which tests find
// them. A control array element `Name(i)` is the member `Name[i]` with objectName
// "Name_i" (e.g. Command1[1] is "Command1_1"); single controls use their plain name
// ("File1", "Drive1", "Timer1").
// Of the replacement list only the search texts are shown, in List1_0 ("List1_0"); the
// replacement texts and keep flags are data in replacementList().

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "engine/convert/ch_txt.h"
#include "ui_common/async_task.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;
class QTemporaryDir;
class QTimer;

namespace sorvane::ui {

class CaptionButtonFrame;
class DirListBox;
class DriveListBox;
class FileListBox;
class LinkLabel;

class SorvMain : public QWidget {
    Q_OBJECT
public:
    // The conversion of one document; ch_txt unless a test puts its own in place. It runs
    // on a worker thread and must not touch the window.
    using ConvertFunction = std::function<Result<ConversionReport>(
        const std::filesystem::path& source, int preview, const ConversionParams& params,
        const ReplacementList& list, const EngineContext& context)>;
    // Hands an address (web or local file) to the system; returns whether it was opened.
    using UrlOpener = std::function<bool(const QUrl& url)>;

    // `programFolder` holds KELDRAN.INI, KELDRAN.DAT and the preview's TEMP.TXT; when it
    // is empty there is no safe folder, and the settings and the list live in memory
    // until close, which says so. The constructor runs the start-up: stored settings and
    // list are applied here.
    explicit SorvMain(std::filesystem::path programFolder, QWidget* parent = nullptr);
    ~SorvMain() override;

    void setConvertFunction(ConvertFunction convert);
    void setUrlOpener(UrlOpener opener);
    // The manual the help command opens (defaultManualPath unless set).
    void setManualPath(const QString& path);

    // The click handler of the command buttons; Index 0 to 6. During a run, 0 stops it.
    void Command1_Click(int Index);
    // Opens the address shown by Label1(0), whichever label was clicked.
    void Label1_Click(int Index);
    // One step of the advertisement's colour cycle.
    void Timer1_Timer();
    // Shows files or folders given from outside (dropped on the window, or named at
    // start-up): the folder of the first becomes the current folder, the pattern widens
    // to show the files if it hides them, and exactly those files are selected; a folder
    // is opened. Paths that do not exist are reported in one message box.
    void openPaths(const QStringList& paths);
    // Closes as the system asks (shutdown, logout, SIGTERM): nothing is asked and no box
    // waits for an answer. A run stops after its current document, then the settings
    // and the list are saved and the window closes.
    void systemClose();

    const ReplacementList& replacementList() const { return m_list; }
    const std::filesystem::path& programFolder() const { return m_programFolder; }
    // Whether a conversion (run or preview) or a document's rendering is in progress.
    bool isBusy() const { return m_busy; }
    // The documents of the last run that failed, each "path: reason".
    const QStringList& lastFailures() const { return m_failures; }
    // 1 once the replacement list was changed during this run.
    int listChanged() const { return List_Changed; }
    // The mode T1 was last opened in: "2" replacement, "4" preview.
    const QString& t1Mode() const { return T1_Mode; }
    // Position in the colour cycle of Label1(1).
    int colorStep() const { return Color_Step; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct RunState;
    struct RunSummary;

    // Controls, their layout and their handlers.
    void createSourceFrame();
    void createParameterFrame();
    void createCommandButtons();
    void createListFrame();
    void createLinkLine();
    void createLayout();
    void createFocusOrder();
    void connectHandlers();

    // Start-up and close, and the files of the program folder.
    void Form_Load();
    // Writes the settings, the list file when it was changed, and removes the preview's
    // scratch files. Returns what could not be saved, one line each.
    QStringList Form_QueryUnload();
    // KELDRAN.INI and KELDRAN.DAT in the program folder; empty when there is none and the
    // settings live in memory.
    std::filesystem::path settingsFile() const;
    std::filesystem::path listFile() const;
    // Where the preview writes TEMP.TXT: the program folder, or with none a private
    // temporary folder of this window's, removed at close.
    std::filesystem::path scratchFolder();

    // Drive, folder and file lists, the pattern, and paths given from outside.
    void Drive1_Change();
    void Dir1_Change();
    void Combo1_Change(int Index);
    void Combo1_Click(int Index);
    void openFolder(const QString& folder);
    bool setDir1Path(const QString& folder, QString* problem);
    QString driveFolder(const QString& drive) const;
    // Moves drive, folder and file list to `folder`; false when it cannot be listed.
    bool showFolder(const QString& folder, QString* problem);
    void applyPattern(const QString& pattern);
    // The full path of the topmost selected entry of File1; when none is selected, warns,
    // gives File1 the focus and returns empty.
    QString firstSelectedOrWarn();

    // Work on the worker: the conversion run, the join, the preview and the rendering
    // for the replacement window, with the busy state and progress they share.
    void convertSelected();
    // Joins the chapters, in order, into one book named after the current folder.
    void joinSelected(std::vector<std::filesystem::path> chapters, std::shared_ptr<const clean::RewriteRules> rules);
    void stopRun();
    void documentDone(int entry, const QString& path, const Result<ConversionReport>& report);
    void runFinished(const RunSummary& summary);
    void previewFirstSelected();
    void confirmReplacement();
    EngineContext engineContext();
    void setBusy(bool busy, int total);
    void showDocumentProgress(double share);

    // Conversion parameters and the output row.
    void createOutputRow(QGridLayout* grid, int row);
    void chooseOutputFolder();
    ConversionParams currentParams() const;
    // The output encoding the box shows, and showing one.
    OutputEncoding chosenEncoding() const;
    void chooseEncoding(OutputEncoding encoding);

    // Cleaning: the rules file beside the replacement list. The rules of the chosen file
    // (null when none is chosen), or the Error that names its bad line: then nothing is
    // converted.
    void createRulesButton();
    void chooseRulesFile();
    void setRulesFile(const QString& file);
    Result<std::shared_ptr<const clean::RewriteRules>> loadRules() const;
    // Loads the rules for a conversion; on a bad rule shows why and returns false.
    bool rulesForRun(std::shared_ptr<const clean::RewriteRules>& rules);

    // Commands, keys and the replacement list view.
    void deleteReplacement();
    void openHelp();
    void showAbout();
    void refreshList1(int selectRow);
    int selectedReplacement() const;
    void focusFile1();
    // Key preview: true when the key was handled here.
    bool Form_KeyUp(int key, Qt::KeyboardModifiers shift);

    // 1 once the replacement list was changed during this run; the list file is
    // rewritten at close only then.
    int List_Changed = 0;
    QString T1_Mode;
    std::int16_t Color_Step = 0;

    std::array<QPushButton*, 7> Command1{};
    std::array<QComboBox*, 2> Combo1{};
    std::array<QComboBox*, 3> Combo2{};
    std::array<QLineEdit*, 2> Text2{};
    std::array<QLabel*, 11> Label2{};  // Label2(6) belongs to Frame1, the rest to Frame2(0)
    std::array<LinkLabel*, 2> Label1{};
    std::array<QGroupBox*, 2> Frame2{};
    QGroupBox* Frame1 = nullptr;
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    QListWidget* List1_0 = nullptr;
    QTimer* Timer1 = nullptr;
    QProgressBar* progressBar = nullptr;
    // The output row at the end of Frame2(0): the folder the files go to (empty: beside
    // each source) with its folder-dialog button, and the output encoding.
    QLabel* outputFolderLabel = nullptr;
    QLineEdit* outputFolderBox = nullptr;
    QPushButton* outputFolderButton = nullptr;
    QLabel* outputEncodingLabel = nullptr;
    QComboBox* outputEncodingBox = nullptr;
    // And below it: join the selected documents into one book, and the Traditional /
    // Simplified conversion.
    QCheckBox* joinBox = nullptr;
    QLabel* convertLabel = nullptr;
    QComboBox* convertBox = nullptr;
    // 去除网页杂项: on with the join box unless the user sets it otherwise.
    QCheckBox* cleanBox = nullptr;
    // Below the replacement list: the rules file, chosen or left out from its menu.
    QToolButton* rulesButton = nullptr;
    QString m_rulesFile;
    bool m_cleanStored = false;  // KELDRAN.INI held CLEAN or RULES: write them back

    std::filesystem::path m_programFolder;
    std::unique_ptr<QTemporaryDir> m_privateScratch;
    ReplacementList m_list;
    ConvertFunction m_convert;
    UrlOpener m_openUrl;
    QString m_manualPath;
    AsyncTask* m_task = nullptr;
    std::shared_ptr<RunState> m_run;  // the run in progress, shared with its worker
    std::map<QString, QString> m_driveFolders;  // last folder shown per drive
    std::vector<std::filesystem::path> m_scratchFiles;  // preview parts written this run
    QStringList m_failures;
    QStringList m_problems;  // "path: problem" for what readers could not read this run
    QStringList m_noStory;   // pages left out this run for having no story (cleaning)
    std::size_t m_removed = 0;  // lines and pieces cleaning removed this run
    QString m_exitCaption;
    bool m_busy = false;
    bool m_closePending = false;
    bool m_unloaded = false;
    bool m_systemClose = false;  // the close under way is the system's: ask nothing
    bool m_quiet = false;  // start-up applies the stored folder without messages
    int m_runDone = 0;
    int m_runTotal = 0;
};

// The manual installed beside the program, or the one the build made; the installed
// place when neither exists.
QString defaultManualPath();

}  // namespace sorvane::ui
