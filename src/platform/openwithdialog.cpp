#include "openwithdialog.h"

#include "desktopapps.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

OpenWithDialog::OpenWithDialog(const QString &path, QWidget *parent)
    : QDialog(parent)
    , m_path(path)
{
    setObjectName(QStringLiteral("OpenWithDialog"));
    createWidgets();
    createConnections();
    setWindowTitle(tr("Open With"));
}

void OpenWithDialog::createWidgets()
{
    auto *prompt = new QLabel(
        tr("Choose the application to open \"%1\" with:").arg(QFileInfo(m_path).fileName()),
        this);
    prompt->setWordWrap(true);
    prompt->setTextFormat(Qt::PlainText);

    m_apps = new QListWidget(this);
    m_apps->setObjectName(QStringLiteral("apps"));
    m_apps->setAccessibleName(tr("Applications"));
    for (const DesktopApps::App &app : DesktopApps::fileOpeners()) {
        auto *item = new QListWidgetItem(app.icon, app.name, m_apps);
        item->setData(Qt::UserRole, app.id);
    }
    m_apps->setCurrentRow(0);
    prompt->setBuddy(m_apps);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Open)->setEnabled(m_apps->count() > 0);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_apps);
    layout->addWidget(m_buttons);
    resize(420, 480);
}

void OpenWithDialog::createConnections()
{
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_apps, &QListWidget::itemActivated, this, &QDialog::accept);
}

void OpenWithDialog::accept()
{
    if (const QListWidgetItem *item = m_apps->currentItem())
        DesktopApps::launch(item->data(Qt::UserRole).toString(), m_path);
    QDialog::accept();
}
