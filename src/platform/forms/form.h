#pragma once
// The window base class: a window that exists at most once, with a load step
// and an unload step, twip geometry and a static layout given as a table.
//
// A window is loaded and unloaded through the registry (registry.h), never
// constructed or deleted by hand. Its controls are named members that the
// constructor places with Layout({...}).
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

#include <initializer_list>
#include <optional>

namespace forms {

inline constexpr int TwipsPerPixel = 15;
constexpr int pixels(int twips)
{
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}
constexpr int twips(int pixels)
{
    return pixels * TwipsPerPixel;
}

struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
};

// The font a window or control asks for. "MS Sans Serif" and the other
// Windows faces map to a close installed face (Liberation Sans).
struct FontSpec {
    QString family = QStringLiteral("MS Sans Serif");
    double points = 8.25;
    bool bold = false;
    bool underline = false;
};
QFont makeFont(const FontSpec& spec);
// The installed face used for a Windows face name.
QString installedFamily(const QString& family);

inline const FontSpec SansBold975 { QStringLiteral("MS Sans Serif"), 9.75, true };

enum class BorderStyle { None, FixedDialog, Sizable };

// One row of a window's layout table.
struct ControlSpec {
    QWidget* control = nullptr;
    const char* name = "";
    QString caption; // label or button caption, text box text; "" keeps none
    Twips rect; // left, top, width, height in twips
    int tab = -1; // position in the Tab order; -1: not a tab stop
    int help = 0; // F1 help context ID; 0 falls back to the window's
    std::optional<FontSpec> font = std::nullopt; // else the window's font
    QString toolTip = {};
    QWidget* label = nullptr; // the label that names a box (its accessible name)
    bool visible = true;
};

class Forms;

class Form : public QWidget {
    Q_OBJECT
public:
    enum class State { Created, Loading, Loaded, Unloading, Unloaded };

    explicit Form(const QString& name, BorderStyle border = BorderStyle::FixedDialog);
    ~Form() override;

    const QString& Name() const { return name_; }
    State state() const { return state_; }
    // Loaded: the load step ran or is running, the unload step has not begun.
    bool IsLoaded() const { return state_ == State::Loading || state_ == State::Loaded; }

    // F1 help context ID of the window; 0 for none.
    int HelpContextID = 0;

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    bool Visible() const { return isVisible(); }
    void SetVisible(bool visible) { setVisible(visible); }
    void Show() { setVisible(true); }
    void Hide() { setVisible(false); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    BorderStyle Border() const { return border_; }

    // Position (of the frame's corner) and client size in twips.
    int Left() const { return twips(x()); }
    int Top() const { return twips(y()); }
    int Width() const { return twips(width()); }
    int Height() const { return twips(height()); }
    void Move(int leftTwips, int topTwips) { move(pixels(leftTwips), pixels(topTwips)); }
    // left = screen width / 2 - window width / 2, top likewise, by the
    // window's outer size (frame and title bar included).
    void CentreOnScreen();
    // The frame the desktop draws around the client area (known once a
    // window has been framed; estimated before).
    QMargins FrameMargins() const;

    // Unloads the window through the registry (its unload step runs once).
    void Unload();

protected:
    friend class Forms;
    virtual void Form_Load() { }
    // Runs once, however the window is closed; it cannot be cancelled.
    virtual void Form_Unload() { }
    // The window lost the activation to another window of the program.
    virtual void Form_LostFocus() { }

    void SetClientSize(int widthTwips, int heightTwips);
    void SetBackColor(const QColor& color);
    void SetFormFont(const FontSpec& font);
    // Turns the layout table into placed, named, ordered controls.
    void Layout(std::initializer_list<ControlSpec> controls);
    // Ties a box to its labels for screen readers: the box is named by their
    // texts, joined; the last (the box's own) becomes its buddy and, after
    // headings, is read with them ("Blood Pressure:" "systolic").
    void LabelBox(QWidget& box, std::initializer_list<QLabel*> labels);

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString name_;
    BorderStyle border_;
    State state_ = State::Created;
    bool wasActive_ = false;
    // The control that last held the focus in this window, given it back
    // when the window is active again after its focus was taken away.
    QPointer<QWidget> lastFocus_;
    // The focus moved while the window was hidden.
    bool focusMovedHidden_ = false;
    static void followFocus(QWidget* now);
    // The main window, activated by the desktop, gives the activation to the
    // window the user works in.
    void passActivationOn();
};

// A window of the program went away (a message box closed): until the user
// next presses a key or a mouse button, an activation of the main window is
// the desktop's choice and goes on to the window the user works in.
void WindowWentAway();

// The window the user works in: the active window, or, while the main window
// (which holds only the menus) or none is active, the program's window that
// was active last.
QWidget* workingWindow();

// Red, green, blue as the windows give colours.
inline QColor RGB(int r, int g, int b)
{
    return QColor(r, g, b);
}

} // namespace forms
