// A CSimpleSplitter that passes on what its list panes report: when a list
// added with AddNotifier changes its current or selected row, or is about to
// lose rows, the splitter emits a signal naming the list, so that the window
// that owns the splitter's owner can answer as if it owned the list itself.
#pragma once

#include <QMetaObject>
#include <QSet>
#include <vector>

#include "gui/widgets/CSimpleSplitter.h"

class QAbstractItemView;

class CSimpleSplitResendingNotifications : public CSimpleSplitter {
    Q_OBJECT

public:
    using CSimpleSplitter::CSimpleSplitter;
    // Reports nothing while its panes are destroyed with it.
    ~CSimpleSplitResendingNotifications() override;

    // Adds a window to the forwarding set. Item views are connected to the
    // model and selection model they have at this moment; other windows are
    // only recorded.
    void AddNotifier(QWidget* window);
    bool IsNotifier(const QWidget* window) const;

signals:
    // Row `row` of `sender` became the current (focused) row or was selected.
    void itemStateChanged(QWidget* sender, int row);
    // Row `row` of `sender` is about to be deleted (also for every row when
    // the list is cleared).
    void itemDeleting(QWidget* sender, int row);

private:
    void ConnectItemView(QAbstractItemView* view);

    QSet<const QWidget*> m_notifiers;
    // Cut when the splitter goes: its panes outlive its members.
    std::vector<QMetaObject::Connection> m_connections;
};
