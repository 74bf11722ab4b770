#pragma once
// The window T1: shows a document's rendered text (replacement mode) or the preview's
// converted text (preview mode), and lets the user enter replacement pairs into the
// main window's replacement list.

#include <filesystem>

#include <QDialog>
#include <QString>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "common/text.h"

namespace sorvane::ui {

class T1 : public QDialog {
    Q_OBJECT
public:
    // mode: "4" = preview mode (shows `document`, the scratch file); any other text =
    // replacement mode (shows `document`, the first selected source). `list` is the
    // main window's replacement list: it is applied to the shown text, and confirmed
    // pairs are written into it.
    T1(const QString& mode, std::filesystem::path document, ReplacementList& list,
       QWidget* parent = nullptr);
    ~T1() override;

    // Renders the document and fills the text box. Returns false, after telling the user
    // why in a message box, when the document cannot be read; the caller then does not
    // show the window.
    bool Read_T();

    // The text the window shows for `document` in `mode`: in preview mode the program's
    // own scratch file, read as code page 936 and passed through the code page and the
    // replacement list; otherwise the rendered document after the conversion's first
    // steps for `params` (Traditional/Simplified, code page, replacement list). Touches
    // no widget, so it may run on a worker thread. Fails as reading, rendering or the
    // script conversion fails.
    static Result<Text> shownText(const QString& mode, const std::filesystem::path& document,
                                  const ConversionParams& params, const ReplacementList& list);
    // Fills the text box with a text shownText gave.
    void showText(const Text& text);
    // Tells the user why the document cannot be shown.
    static void reportUnreadable(QWidget* parent, const Error& error);

signals:
    // A pair was confirmed: `row` of the list was appended or updated, and should be
    // shown and selected in the main window's list.
    void rowConfirmed(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void MENU_0_Click(int Index);
    void Command1_Click();
    void Check1_Click();
    void Text1_GotFocus(int Index);
    void Text1_Validate(int Index, bool& Cancel);
    void setShownText(const QString& text);
    QString selectedSourceText() const;

    struct Private;
    Private* d;
};

}  // namespace sorvane::ui
