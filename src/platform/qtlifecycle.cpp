#include "qtlifecycle.h"

#include <QCoreApplication>

void QtLifecycle::quit()
{
    QCoreApplication::exit(0);
}
