#pragma once

#include "opener.h"

#include <memory>

/// The program's Opener: the real one comes from the backend module on first use. Without the
/// module nothing is a program and nothing opens.
class LazyOpener final : public Opener
{
public:
    bool isProgram(const QString &path) const override;
    bool runProgram(const QString &path) override;
    Result openDocument(const QString &path) override;
    void openWith(const QString &path) override;

private:
    Opener *real() const;

    mutable std::unique_ptr<Opener> m_real;
    mutable bool m_tried = false;
};
