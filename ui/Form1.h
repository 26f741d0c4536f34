#pragma once

#include "engine/scan/CodeStrings.h"
#include "engine/Document.h"
#include "engine/scan/ScanLiterals.h"
#include "ui/Readings.h"
#include "ui/RowMarks.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>

#include <exception>
#include <optional>

class QCheckBox;
class QLineEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class DriveList;
class EditBox;
class FileList;
class FolderList;
class RowModel;
struct ReplaceRequest;
class ListBox;

// The main window: the file browser, the two paired lists of literals with
// their edit box, and the file buttons. Event procedures are named by control
// and event; the list editor's live in Form1Editor.cpp, the browser's in
// Form1Browser.cpp, the find box, counts and row keys in Form1Find.cpp.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1(); // Initialize: creates the controls; Load runs when first shown


    void setVisible(bool visible) override; // runs Form1 Load before the first show

protected:
    void closeEvent(QCloseEvent *event) override; // asks before unwritten rows are lost

private:
    void createControls();
    void createFindControls(); // Form1Find.cpp
    void connectBrowser();     // Form1Browser.cpp
    void connectEditor();      // Form1Editor.cpp
    void connectFind();        // Form1Find.cpp
    void connectMarks();
    void connectTranslations(); // Form1Translations.cpp

    // Applies the rows to the loaded file, keeping a backup, and confirms.
    void ReplaceAndSave();
    // The same; `wait`: the write is back before this returns, false when it
    // wrote nothing (the user cancelled it at a question, or it failed).
    bool ReplaceInto(bool wait);
    // The write of a press, on a worker thread, and what it brings back.
    struct WriteOutcome
    {
        ReplaceRequest request;
        QList<int> rows; // whose replacements it writes
        ReplaceResult result;
        MarksReading marks; // of the text written, its rows as takeWritten leaves them
        std::exception_ptr failure;
    };
    static WriteOutcome Write(WriteOutcome job, Document document, bool codeStrings);
    // Starts the write; the window shows it is busy and takes no edit until it is back.
    bool StartWrite(ReplaceRequest request, QList<int> rows, bool wait);
    // Takes in the write under way, waited for; `wait`: a write again after a question is waited for too.
    bool TakeWrite(bool wait);
    bool WriteFinished(WriteOutcome outcome, bool wait);
    void SetWriting(bool writing);
    ReplaceRequest RequestFor() const;
    // The questions before a replace; false: the user cancelled it.
    enum class PressAnswer { AllRows, NewEditsOnly, Cancel };
    PressAnswer ConfirmPressAgain(const ReplaceRequest &request, const PressRows &pressed);
    bool ConfirmChangedOnDisk(const QString &reason);
    // Before rows not yet written are thrown away: true to go on.
    bool MayDiscardEdits(const QString &title);
    // Rows not yet written that the next press changes, in the mode ticked.
    int UnwrittenCount() const;
    // Works out again where each stored row will land (after a load, commit, restore or replace).
    void UpdateMarks();
    ::Rows CurrentRows() const;
    const RowMarks &SettledMarks(); // the marks of the rows as they stand now
    void UpdateCounts(); // Label4

    // Find box and row keys (Form1Find.cpp).
    void Text2_Change();
    void FindNext(int step); // +1 next, -1 previous, 0 from the current row on
    void ShowRow(int row);   // as a click on List1 shows it, the focus left where it is
    void showNoMatch(bool shown);
    void NextMarkedRow(int step);

    // Path of the file selected in File1: folder, "/", name, joined as they are.
    QString SelectedFilePath() const;

    // Window and browser (Form1.cpp, Form1Browser.cpp).
    void Form1_Load();
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void File1_DblClick();
    void Command3_Click();
    void Command4_Click();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Command5_Click(); // 导出翻译…
    void Command6_Click(); // 导入翻译…
    // Shows Doc's rows in the lists and selects `current`.
    void ShowRows(int current);
    void SelectLoadedFile();

    // List editor (Form1Editor.cpp). The KeyDown event gives Qt's key and
    // which of Shift, Ctrl and Alt are held.
    void Command2_Click();
    void Text1_KeyDown(Qt::Key key, Qt::KeyboardModifiers modifiers);
    void CommitEdit();
    void FillSameText(); // Ctrl+Enter: the edit into every unchanged row of the same text
    void SetReplacement(int row, const QString &text); // in Doc, and shown in List2
    void List1_MouseDown(int button, int shift, int x, int y);
    void List1_MouseUp(int button, int shift, int x, int y);
    void List1_DblClick();
    void List2_Click();
    void Text1_GotFocus();

    // Form-level state. The lists show Doc's rows: the found texts and the replacements.
    Document Doc;                    // the loaded file; its path is empty before the first load
    QString &SourceText = Doc.text;  // text of the file loaded last; after a replace, the text written
    QString CurrentPath; // folder last picked; during a replace, the file being replaced
    QString FilledNote;  // "已填入 N 行" after Ctrl+Enter, until the next key
    bool m_loaded = false; // Form1 Load has run
    std::optional<QFuture<WriteOutcome>> Writing; // the write under way
    QFutureWatcher<WriteOutcome> *WriteWatcher = nullptr;
    QPointer<QWidget> FocusBeforeWrite;
    QThreadPool WritePool; // waited for when the window goes
    Readings TextReadings;           // both readings of SourceText, for a switch of Check3
    RowMarks *Marks = nullptr;
    RowModel *Rows = nullptr;        // Doc's rows as List1 and List2 show them

    // Controls, by their designer names.
    QGroupBox *Frame1 = nullptr;
    QPushButton *Command1 = nullptr;
    DriveList *Drive1 = nullptr;
    FolderList *Dir1 = nullptr;
    FileList *File1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    EditBox *Text1 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    ListBox *List1 = nullptr;
    ListBox *List2 = nullptr;
    QPushButton *Command3 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command4 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr; // each edit over its own literal
    QCheckBox *Check3 = nullptr; // rows from the C++ reading
    QPushButton *Command5 = nullptr; // export a translation file
    QPushButton *Command6 = nullptr; // import one
    QLabel *Label4 = nullptr;    // the counts
    QLineEdit *Text2 = nullptr;  // find
    QLabel *NoMatch = nullptr;   // inside Text2
};
