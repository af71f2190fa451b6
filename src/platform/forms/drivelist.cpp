#include "drivelist.h"

#include "accessible.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMap>
#include <QMouseEvent>
#include <QStorageInfo>

namespace forms {

namespace {

QStringList systemVolumes()
{
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady()) roots << v.rootPath();
    roots.removeDuplicates();
    roots.sort();
    return roots;
}

bool under(const QString& path, const QString& root)
{
    if (root == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

// The folder last used on each volume, as a drive keeps its current folder.
QMap<QString, QString>& lastFolders()
{
    static QMap<QString, QString> folders;
    return folders;
}

} // namespace

std::function<QStringList()> mountedVolumes = systemVolumes;

QString volumeOf(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    QString best = QStringLiteral("/");
    for (const QString& root : mountedVolumes())
        if (under(clean, root) && root.size() > best.size()) best = root;
    return best;
}

DriveListBox::DriveListBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_ && Change) Change();
    });
    Refresh();
}

QString DriveListBox::Drive() const
{
    return currentText();
}

bool DriveListBox::SetDrive(const QString& root)
{
    const int i = findText(root);
    if (i < 0) return false;
    setCurrentIndex(i);
    return true;
}

void DriveListBox::Refresh()
{
    filling_ = true;
    clear();
    addItems(mountedVolumes());
    const QString current = volumeOf(QDir::currentPath());
    int i = findText(current);
    if (i < 0) {
        addItem(current);
        i = count() - 1;
    }
    setCurrentIndex(i);
    filling_ = false;
}

void DriveListBox::keyPressEvent(QKeyEvent* event)
{
    if (!dispatchKeyPress(this, *this, event)) QComboBox::keyPressEvent(event);
}

void DriveListBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (Click) Click();
    });
    path_ = QDir::currentPath();
    Refresh();
}

bool DirListBox::SetPath(const QString& path)
{
    QString target = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    const QStringList volumes = mountedVolumes();
    if (volumes.contains(target) && volumeOf(path_) != target) {
        // A drive: its current folder, as this list or the program last left it.
        const QString current = QDir::currentPath();
        const QString last = lastFolders().value(target);
        if (!last.isEmpty() && QFileInfo(last).isDir())
            target = last;
        else if (under(current, target))
            target = current;
    }
    const QFileInfo info(target);
    if (!info.isDir() || !info.isReadable() || !QDir(target).isReadable()) return false;
    const bool changed = target != path_;
    path_ = target;
    lastFolders().insert(volumeOf(target), target);
    Refresh();
    if (changed && Change) Change();
    return true;
}

void DirListBox::Refresh()
{
    clear();
    // The folders from the root down to the current one, then its own.
    QStringList chain;
    for (QString p = path_;; p = QFileInfo(p).path()) {
        chain.prepend(p);
        if (QDir(p).isRoot() || p == QFileInfo(p).path()) break;
    }
    int depth = 0;
    for (const QString& p : chain) {
        const QString name = QDir(p).isRoot() ? p : QFileInfo(p).fileName();
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(Qt::UserRole, p);
        ++depth;
    }
    const QDir dir(path_);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + sub, this);
        item->setData(Qt::UserRole, dir.filePath(sub));
    }
    setCurrentRow(int(chain.size()) - 1);
}

QString DirListBox::List(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? it->data(Qt::UserRole).toString() : QString();
}

bool DirListBox::Open(int index)
{
    const QString p = List(index);
    return !p.isEmpty() && SetPath(p);
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if (dispatchKeyPress(this, *this, event)) return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Open(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    // The current folder is the one the list stands in: a screen reader names it.
    TellCurrentItem(*this);
}

void DirListBox::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    if (QListWidgetItem* it = itemAt(event->position().toPoint())) Open(row(it));
    if (DblClick) DblClick();
}

} // namespace forms
