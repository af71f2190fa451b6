#pragma once
// What the program told a screen reader, as tests can see it: the texts it
// had spoken as notifications, with the control that held the focus then,
// and the items the focus was said to go to.
#include "platform/accessible_text.h"

#include <QAccessible>
#include <QApplication>
#include <QString>

#include <vector>

namespace testsupport {

struct Heard {
    struct Said {
        QString text;
        QObject* at; // the control holding the focus meanwhile
    };
    std::vector<Said> said; // notifications shown
    std::vector<QString> focused; // names of items the focus went to
    Heard()
    {
        platform::noticeWatcher() = [this](QAccessibleEvent& e) {
            QAccessibleInterface* iface = e.accessibleInterface();
            if (!iface) return;
            if (e.type() == QAccessible::ObjectShow && iface->role() == QAccessible::Notification)
                said.push_back({ iface->text(QAccessible::Name), QApplication::focusWidget() });
            else if (e.type() == QAccessible::Focus && e.child() >= 0)
                focused.push_back(iface->text(QAccessible::Name));
        };
    }
    ~Heard() { platform::noticeWatcher() = nullptr; }
    Heard(const Heard&) = delete;
    Heard& operator=(const Heard&) = delete;

    // The texts spoken, in order.
    std::vector<QString> Texts() const
    {
        std::vector<QString> texts;
        for (const Said& s : said)
            texts.push_back(s.text);
        return texts;
    }
};

} // namespace testsupport
