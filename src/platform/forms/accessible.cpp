#include "accessible.h"

#include "form.h"
#include "picturebox.h"
#include "registry.h"

#include "platform/accessible_text.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace forms {

namespace {

// The frame holds the program's windows; a window with a sizable border is a
// frame of its own; every other window is a dialog over the frame.
QAccessible::Role roleOf(const Form& form)
{
    if (&form == Forms::MainForm() || form.Border() == BorderStyle::Sizable) return QAccessible::Window;
    return QAccessible::Dialog;
}

class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(Form* form)
        : QAccessibleWidget(form, QAccessible::Dialog)
    {
    }
    // The main form is set after the windows it holds may have been asked
    // for, so the role is decided at each question.
    QAccessible::Role role() const override { return roleOf(*static_cast<Form*>(widget())); }
};

QAccessibleInterface* factory(const QString& key, QObject* object)
{
    // Asked once per class up the hierarchy: answer at the object's own class.
    if (!object || !object->isWidgetType() || key != QLatin1String(object->metaObject()->className())) return nullptr;
    if (auto* form = qobject_cast<Form*>(object); form && form->isWindow()) return new WindowAccessible(form);
    if (auto* page = qobject_cast<PictureBox*>(object))
        return new platform::LinesAccessible(
            page, QAccessible::EditableText, platform::LinesAccessible::Described::No,
            [page] { return page->ShownLines(); }, [page] { return page->CaretLine(); },
            [page](int line) { page->SetCaretLine(line); });
    return nullptr;
}

} // namespace

void InstallAccessibility()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(factory);
}

} // namespace forms
