#include "desktop.h"

#include "form.h"
#include "registry.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <algorithm>

namespace forms {

namespace {

class SystemDesktop : public Desktop {
public:
    int messageBox(const MessageBoxCall& call) override
    {
        QMessageBox box(workingWindow());
        box.setWindowTitle(call.title);
        box.setText(call.text);
        switch (call.icon) {
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::None:
            break;
        }
        const auto answers = answersOf(call.buttons);
        std::vector<std::pair<QPushButton*, Answer>> buttons;
        for (Answer a : answers) {
            QMessageBox::StandardButton sb = QMessageBox::Ok;
            switch (a) {
            case vbOK:
                sb = QMessageBox::Ok;
                break;
            case vbCancel:
                sb = QMessageBox::Cancel;
                break;
            case vbAbort:
                sb = QMessageBox::Abort;
                break;
            case vbRetry:
                sb = QMessageBox::Retry;
                break;
            case vbIgnore:
                sb = QMessageBox::Ignore;
                break;
            case vbYes:
                sb = QMessageBox::Yes;
                break;
            case vbNo:
                sb = QMessageBox::No;
                break;
            }
            buttons.emplace_back(box.addButton(sb), a);
        }
        const int d = std::clamp(call.defaultButton, 1, int(buttons.size())) - 1;
        box.setDefaultButton(buttons[d].first);
        const bool hasCancel = std::find(answers.begin(), answers.end(), vbCancel) != answers.end();
        if (hasCancel)
            box.setEscapeButton(box.button(QMessageBox::Cancel));
        else if (buttons.size() == 1)
            box.setEscapeButton(buttons[0].first);
        box.exec();
        for (auto& [button, answer] : buttons)
            if (box.clickedButton() == button) return answer;
        return hasCancel ? vbCancel : defaultAnswer(call);
    }

    void beep() override { QApplication::beep(); }

    void setMousePointer(int pointer) override
    {
        pointer_ = pointer;
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        // An override cursor shows over every window and control, text boxes included.
        if (pointer == vbHourglass)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (pointer == vbArrow)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }

    void showHelp(int contextId) override { openHelpFile(contextId, programFolder(), systemHelpLauncher()); }

    void endProgram() override { QCoreApplication::exit(0); }

    QString programFolder() override { return QCoreApplication::applicationDirPath(); }

    QDateTime now() override { return QDateTime::currentDateTime(); }
};

SystemDesktop& systemDesktop()
{
    static SystemDesktop d;
    return d;
}

Desktop* installed = nullptr;

} // namespace

std::vector<Answer> answersOf(Buttons buttons)
{
    switch (buttons) {
    case Buttons::OK:
        return { vbOK };
    case Buttons::OKCancel:
        return { vbOK, vbCancel };
    case Buttons::AbortRetryIgnore:
        return { vbAbort, vbRetry, vbIgnore };
    case Buttons::YesNoCancel:
        return { vbYes, vbNo, vbCancel };
    case Buttons::YesNo:
        return { vbYes, vbNo };
    case Buttons::RetryCancel:
        return { vbRetry, vbCancel };
    }
    return { vbOK };
}

Answer defaultAnswer(const MessageBoxCall& call)
{
    const auto answers = answersOf(call.buttons);
    const int d = std::clamp(call.defaultButton, 1, int(answers.size())) - 1;
    return answers[d];
}

Desktop& desktop()
{
    return installed ? *installed : systemDesktop();
}

int MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title, int defaultButton)
{
    MessageBoxCall call { text, buttons, icon, defaultButton, title.isEmpty() ? QString(ProgramTitle) : title };
    // A message of a main-window command belongs to the window the user was
    // in; when the box closes, the desktop hands the activation to the main
    // window, which holds nothing to work in, so that window takes it back.
    const QPointer<QWidget> owner = workingWindow();
    const int answer = desktop().messageBox(call);
    WindowWentAway();
    Form* main = Forms::MainForm();
    auto* form = qobject_cast<Form*>(owner.data());
    QWidget* now = QApplication::activeWindow();
    if (form && form != main && form->IsLoaded() && form->isVisible() && form->isEnabled()
        && (!now || now == main || !qobject_cast<Form*>(now)))
        form->activateWindow();
    return answer;
}

void Beep()
{
    desktop().beep();
}
void SetMousePointer(int pointer)
{
    desktop().setMousePointer(pointer);
}
int MousePointer()
{
    return desktop().mousePointer();
}
void Help(int contextId)
{
    desktop().showHelp(contextId);
}
void EndProgram()
{
    desktop().endProgram();
}
QString ProgramFolder()
{
    return desktop().programFolder();
}
QDateTime Now()
{
    return desktop().now();
}
QDate Today()
{
    return Now().date();
}

HelpLauncher systemHelpLauncher()
{
    HelpLauncher l;
    l.findViewer = [] {
        // Compiled-help viewers a Debian desktop may have, most specific first.
        for (const char* name : { "xchm", "kchmviewer", "chmsee", "okular" }) {
            const QString path = QStandardPaths::findExecutable(name);
            if (!path.isEmpty()) return path;
        }
        return QString();
    };
    l.start = [](const QString& viewer, const QStringList& arguments) {
        return QProcess::startDetached(viewer, arguments);
    };
    return l;
}

bool openHelpFile([[maybe_unused]] int contextId, const QString& folder, const HelpLauncher& launcher)
{
    const QString file = QDir(folder).filePath(HelpFileName);
    if (!QFileInfo(file).isFile()) {
        MsgBox(QStringLiteral("The help file %1 was not found in the program folder.").arg(HelpFileName));
        return false;
    }
    const QString viewer = launcher.findViewer ? launcher.findViewer() : QString();
    if (viewer.isEmpty()) {
        MsgBox(QStringLiteral("No program to show the help file %1 is installed.").arg(HelpFileName));
        return false;
    }
    // The viewers take the file alone; the topic of a context ID is left to
    // the file's own contents page.
    if (!launcher.start || !launcher.start(viewer, { file })) {
        MsgBox(QStringLiteral("The help file %1 could not be opened.").arg(HelpFileName));
        return false;
    }
    return true;
}

RecordingDesktop::RecordingDesktop()
    : folder(QDir::currentPath())
    , previous_(installed)
{
    installed = this;
}

RecordingDesktop::~RecordingDesktop()
{
    installed = previous_;
}

int RecordingDesktop::messageBox(const MessageBoxCall& call)
{
    messages.push_back(call);
    if (onMessage) onMessage(call);
    if (answers.empty()) return defaultAnswer(call);
    const int a = answers.front();
    answers.pop_front();
    return a;
}

void RecordingDesktop::setMousePointer(int pointer)
{
    pointer_ = pointer;
    pointers.push_back(pointer);
}

} // namespace forms
