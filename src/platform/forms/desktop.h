#pragma once
// The desktop services every window calls: the modal message box, beep, the
// screen's mouse pointer, F1 help, the clock, the program folder and ending
// the program.
//
// Windows call the free functions (MsgBox, Beep, ...). They go to the
// installed Desktop: the real one by default, or a RecordingDesktop that a
// test creates on the stack to script answers and record every call.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace forms {

inline constexpr const char* ProgramTitle = "Tellora 3.95";
inline constexpr const char* HelpFileName = "tellora395.chm";

enum class Buttons { OK = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class Icon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
// The answer of a message box: the button pressed.
enum Answer : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Mouse pointers as the windows name them.
inline constexpr int vbDefault = 0;
inline constexpr int vbArrow = 1;
inline constexpr int vbHourglass = 11;

struct MessageBoxCall {
    QString text;
    Buttons buttons = Buttons::OK;
    Icon icon = Icon::None;
    int defaultButton = 1; // 1 to 3, from the left
    QString title; // as shown: ProgramTitle unless the caller gave one
};

// The answers a button set offers, left to right.
std::vector<Answer> answersOf(Buttons buttons);
// The answer of the default button (Escape or closing the box gives vbCancel
// where the set has Cancel).
Answer defaultAnswer(const MessageBoxCall& call);

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual int messageBox(const MessageBoxCall& call) = 0;
    virtual void beep() = 0;
    virtual void setMousePointer(int pointer) = 0;
    virtual void showHelp(int contextId) = 0;
    virtual void endProgram() = 0;
    // The folder that holds the program.
    virtual QString programFolder() = 0;
    // The system's date and time.
    virtual QDateTime now() = 0;

    int mousePointer() const { return pointer_; }

protected:
    int pointer_ = vbDefault;
};

// The installed desktop.
Desktop& desktop();

// Shows a modal message box and returns the answer (vbOK ...). An empty title
// gives the program's title.
int MsgBox(const QString& text, Buttons buttons = Buttons::OK, Icon icon = Icon::None, const QString& title = {},
    int defaultButton = 1);
void Beep();
// 0 default, 1 arrow over every window and control, 11 hourglass.
void SetMousePointer(int pointer);
int MousePointer();
// Opens the help file at a context ID (0: its contents).
void Help(int contextId);
// Ends the program at once: no window's unload step runs.
void EndProgram();
QString ProgramFolder();
// The clock: the date and time now, and today's date.
QDateTime Now();
QDate Today();

// How help is opened, apart so that its refusals can be tested: the viewer
// finder returns the viewer program or an empty text, the launcher starts it.
struct HelpLauncher {
    std::function<QString()> findViewer;
    std::function<bool(const QString& viewer, const QStringList& arguments)> start;
};
HelpLauncher systemHelpLauncher();
// Opens `folder`/tellora395.chm with the viewer; when the file or a viewer
// is missing, or the viewer will not start, tells the user in a message box.
// Returns true when the viewer was started.
bool openHelpFile(int contextId, const QString& folder, const HelpLauncher& launcher);

// A desktop for tests: installed for its lifetime, scripted and recording.
class RecordingDesktop : public Desktop {
public:
    RecordingDesktop();
    ~RecordingDesktop() override;
    RecordingDesktop(const RecordingDesktop&) = delete;
    RecordingDesktop& operator=(const RecordingDesktop&) = delete;

    // Queues the answer of the next message box; without one a box answers
    // with its default button.
    void answerNext(int answer) { answers.push_back(answer); }

    int messageBox(const MessageBoxCall& call) override;
    void beep() override { ++beeps; }
    void setMousePointer(int pointer) override;
    void showHelp(int contextId) override { helpContexts.push_back(contextId); }
    void endProgram() override { ++endCalls; }
    QString programFolder() override { return folder; }
    QDateTime now() override { return clock; }

    std::deque<int> answers;
    std::vector<MessageBoxCall> messages;
    int beeps = 0;
    std::vector<int> pointers;
    std::vector<int> helpContexts;
    int endCalls = 0;
    // The program folder it reports; the current folder when it was made.
    QString folder;
    // The time it reports: fixed, so that no test depends on the day it runs.
    QDateTime clock { QDate(2024, 3, 15), QTime(10, 30) };
    // Runs while a box "is up", before it answers (to act as the user would).
    std::function<void(const MessageBoxCall&)> onMessage;

private:
    Desktop* previous_;
};

} // namespace forms
