#include "gui/widgets/CSimpleSplitResendingNotifications.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

CSimpleSplitResendingNotifications::~CSimpleSplitResendingNotifications() {
    blockSignals(true);
    for (const QMetaObject::Connection& c : m_connections) {
        disconnect(c);
    }
}

void CSimpleSplitResendingNotifications::AddNotifier(QWidget* window) {
    if (window == nullptr || m_notifiers.contains(window)) {
        return;
    }
    m_notifiers.insert(window);
    m_connections.push_back(connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        m_notifiers.remove(static_cast<QWidget*>(gone));
    }));
    if (auto* view = qobject_cast<QAbstractItemView*>(window)) {
        ConnectItemView(view);
    }
}

bool CSimpleSplitResendingNotifications::IsNotifier(const QWidget* window) const {
    return m_notifiers.contains(window);
}

void CSimpleSplitResendingNotifications::ConnectItemView(QAbstractItemView* view) {
    if (QItemSelectionModel* selection = view->selectionModel()) {
        m_connections.push_back(connect(selection, &QItemSelectionModel::currentRowChanged, this,
                                        [this, view](const QModelIndex& current) {
                                            if (current.isValid()) {
                                                emit itemStateChanged(view, current.row());
                                            }
                                        }));
        m_connections.push_back(connect(selection, &QItemSelectionModel::selectionChanged, this,
                                        [this, view](const QItemSelection& selected) {
                                            if (!selected.isEmpty() && selected.first().isValid()) {
                                                emit itemStateChanged(view, selected.first().top());
                                            }
                                        }));
    }
    if (QAbstractItemModel* model = view->model()) {
        m_connections.push_back(
            connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                    [this, view](const QModelIndex& parent, int first, int last) {
                        if (parent.isValid()) {
                            return;  // a list's rows sit at the top level
                        }
                        for (int row = first; row <= last; ++row) {
                            emit itemDeleting(view, row);
                        }
                    }));
        m_connections.push_back(
            connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this, view, model] {
                for (int row = 0; row < model->rowCount(); ++row) {
                    emit itemDeleting(view, row);
                }
            }));
    }
}
