#include "gui/help/CHelpWindow.h"

#include <QAction>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "gui/help/CHelpBrowser.h"
#include "program/app/LangResource.h"
#include "res/resource.h"

namespace SHTMLHelper {

namespace {

constexpr QSize kDefaultSize{860, 620};
constexpr int kDefaultNavWidth = 260;

QString Text(UINT id) {
    return QString::fromStdWString(LoadLangString(id));
}

}  // namespace

CHelpWindow::CHelpWindow(std::unique_ptr<QHelpEngine> engine)
    : QWidget(nullptr, Qt::Window), m_engine(std::move(engine)) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(Text(IDS_HELP_CAPTION));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(bar);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("helpSplitter"));
    m_splitter->setChildrenCollapsible(false);
    layout->addWidget(m_splitter, 1);

    m_tabs = new QTabWidget(m_splitter);
    m_tabs->setObjectName(QStringLiteral("helpTabs"));
    QHelpContentWidget* contents = m_engine->contentWidget();
    m_tabs->addTab(contents, Text(IDS_HELP_TAB_CONTENTS));
    m_tabs->addTab(MakeIndexPage(), Text(IDS_HELP_TAB_INDEX));
    m_tabs->addTab(MakeSearchPage(), Text(IDS_HELP_TAB_SEARCH));
    m_browser = new CHelpBrowser(*m_engine, m_splitter);
    m_splitter->addWidget(m_tabs);
    m_splitter->addWidget(m_browser);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);

    QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), Text(IDS_HELP_BACK),
                                   m_browser, &QTextBrowser::backward);
    back->setObjectName(QStringLiteral("helpBack"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                      Text(IDS_HELP_FORWARD), m_browser, &QTextBrowser::forward);
    forward->setObjectName(QStringLiteral("helpForward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    connect(contents, &QHelpContentWidget::linkActivated, this, &CHelpWindow::Open);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &CHelpWindow::SyncContents);
    // The table of contents is read on a thread of the engine; open it whole once it is there.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, [this, contents] {
        contents->expandToDepth(0);
        SyncContents(m_browser->source());
    });

    resize(kDefaultSize);
    m_splitter->setSizes({kDefaultNavWidth, kDefaultSize.width() - kDefaultNavWidth});
    m_engine->searchEngine()->reindexDocumentation();
}

CHelpWindow::~CHelpWindow() {
    // The engine's widgets go before the engine, whose models they show.
    delete m_splitter;
}

QWidget* CHelpWindow::MakeIndexPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(Text(IDS_HELP_LOOK_FOR), page);
    m_indexFilter = new QLineEdit(page);
    m_indexFilter->setObjectName(QStringLiteral("helpIndexFilter"));
    label->setBuddy(m_indexFilter);
    QHelpIndexWidget* index = m_engine->indexWidget();
    layout->addWidget(label);
    layout->addWidget(m_indexFilter);
    layout->addWidget(index, 1);
    connect(m_indexFilter, &QLineEdit::textChanged, index,
            [index](const QString& text) { index->filterIndices(text); });
    connect(m_indexFilter, &QLineEdit::returnPressed, index,
            &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link) { Open(link.url); });
    // A keyword of several pages opens the first; the others are a click away in the contents.
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& links) {
                if (!links.isEmpty()) {
                    Open(links.first().url);
                }
            });
    return page;
}

QWidget* CHelpWindow::MakeSearchPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QHelpSearchEngine* search = m_engine->searchEngine();
    QHelpSearchQueryWidget* query = search->queryWidget();
    QHelpSearchResultWidget* results = search->resultWidget();
    layout->addWidget(query);
    layout->addWidget(results, 1);
    connect(query, &QHelpSearchQueryWidget::search, search,
            [search, query] { search->search(query->searchInput()); });
    connect(results, &QHelpSearchResultWidget::requestShowLink, this, &CHelpWindow::Open);
    return page;
}

void CHelpWindow::ShowTab(EHelpTab tab) {
    const int index = static_cast<int>(tab) - 1;
    if (index >= 0 && index < m_tabs->count()) {
        m_tabs->setCurrentIndex(index);
        if (tab == EHelpTab::Index) {
            m_indexFilter->setFocus();
        } else if (tab == EHelpTab::Search) {
            m_engine->searchEngine()->queryWidget()->setFocus();
        }
    }
}

EHelpTab CHelpWindow::CurrentTab() const {
    return static_cast<EHelpTab>(m_tabs->currentIndex() + 1);
}

QUrl CHelpWindow::TopicUrl(const QString& topic) const {
    const QStringList namespaces = m_engine->registeredDocumentations();
    if (namespaces.isEmpty()) {
        return {};
    }
    return QUrl(QStringLiteral("qthelp://%1/doc/%2").arg(namespaces.first(), topic));
}

bool CHelpWindow::ShowTopic(const QString& topic) {
    const QUrl url = TopicUrl(topic);
    if (!url.isValid() || m_engine->findFile(url).isEmpty()) {
        return false;
    }
    Open(url);
    return true;
}

QString CHelpWindow::CurrentTopic() const {
    return m_browser->source().fileName();
}

void CHelpWindow::Open(const QUrl& url) {
    if (url.isValid() && url != m_browser->source()) {
        m_browser->setSource(url);
    }
}

void CHelpWindow::SyncContents(const QUrl& url) {
    QHelpContentWidget* contents = m_engine->contentWidget();
    const QModelIndex index = contents->indexOf(url);
    if (index.isValid()) {
        contents->setCurrentIndex(index);
    }
}

CHelpWindowState CHelpWindow::State() const {
    const QRect rect = geometry();
    const QList<int> sizes = m_splitter->sizes();
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height(),
            sizes.isEmpty() ? 0 : sizes.first()};
}

void CHelpWindow::ApplyState(const CHelpWindowState& state) {
    if (state.HasRect()) {
        setGeometry(state.left, state.top, state.right - state.left, state.bottom - state.top);
    }
    if (state.navWidth > 0) {
        const int total = m_splitter->width() > state.navWidth ? m_splitter->width() : width();
        m_splitter->setSizes({state.navWidth, qMax(1, total - state.navWidth)});
    }
}

}  // namespace SHTMLHelper
