#include "lazyopener.h"

#include "backendloader.h"
#include "backendmodule.h"

Opener *LazyOpener::real() const
{
    if (!m_tried) {
        m_tried = true;
        if (const BackendModule *module = backendModule())
            m_real.reset(module->opener());
    }
    return m_real.get();
}

bool LazyOpener::isProgram(const QString &path) const
{
    const Opener *opener = real();
    return opener && opener->isProgram(path);
}

bool LazyOpener::runProgram(const QString &path)
{
    Opener *opener = real();
    return opener && opener->runProgram(path);
}

Opener::Result LazyOpener::openDocument(const QString &path)
{
    Opener *opener = real();
    return opener ? opener->openDocument(path) : Result::Failed;
}

void LazyOpener::openWith(const QString &path)
{
    if (Opener *opener = real())
        opener->openWith(path);
}
