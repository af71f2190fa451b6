#pragma once
// The drive list and the folder list: on this system a drive is a mounted
// volume (its root path), and the folder list walks the folders of one.
#include "events.h"

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

#include <functional>

namespace forms {

// The mounted volumes, as root paths; a test replaces it with its own list.
extern std::function<QStringList()> mountedVolumes;
// The volume of the mounted ones that holds a path (the longest root that is
// a prefix of it); "/" when none does.
QString volumeOf(const QString& path);

// A drop-down of the mounted volumes, starting at the current folder's.
// Change fires when the user (or SetDrive) picks another volume.
class DriveListBox : public QComboBox, public ControlEvents {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The chosen volume's root path.
    QString Drive() const;
    // Chooses a listed volume; false, changing nothing, when it is not listed.
    bool SetDrive(const QString& root);
    // Lists the volumes afresh and chooses the current folder's.
    void Refresh();
    int ListCount() const { return count(); }
    QString List(int index) const { return itemText(index); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool filling_ = false;
};

// The folders above the current one, the current one and the folders in it,
// indented by depth. Opening an entry (double-click or Enter) makes it the
// current folder; a single click only selects it. Change fires whenever the
// current folder changes. Hidden folders are not listed.
class DirListBox : public QListWidget, public ControlEvents {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder's full path.
    QString Path() const { return path_; }
    // Makes a folder current. A volume's root moves to the folder last used on
    // that volume (the current folder when it lies there, else the root).
    // False, changing nothing, when the folder cannot be read.
    bool SetPath(const QString& path);
    // Reads the folders afresh.
    void Refresh();
    int ListCount() const { return count(); }
    // The full path of an entry; empty outside the list.
    QString List(int index) const;
    int ListIndex() const { return currentRow(); }
    // Opens an entry as a double-click does.
    bool Open(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString path_;
};

} // namespace forms
