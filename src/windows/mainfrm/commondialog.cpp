#include "commondialog.h"

#include "filefilter.h"
#include "userdialogs.h"

#include <QDir>
#include <QFileInfo>

void CommonDialog::ShowOpen(QWidget *parent, UserDialogs &dialogs)
{
    const QString start = FileName.isEmpty() ? QDir::homePath() : FileName;
    if (const auto chosen = dialogs.chooseFile(parent, DialogTitle, nameFiltersFrom(Filter), start))
        FileName = *chosen;
}
