#include "pdf/PopplerCore.h"

#include <QFile>

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <PDFDocFactory.h>
#include <goo/GooString.h>
#include <poppler-qt6.h>

PopplerCore::PopplerCore()
    : m_params(std::make_unique<GlobalParams>())
{
    m_params->setErrQuiet(true);
    // Damaged files are reported to the reader; poppler's own diagnostics are not.
    Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
}

PopplerCore::~PopplerCore() = default;

std::mutex& PopplerCore::DocumentLock()
{
    static std::mutex lock;
    return lock;
}

int PopplerCore::CountPages(const QString& path)
{
    const std::lock_guard<std::mutex> guard(DocumentLock());
    const bool borrowed = !globalParams;
    if (borrowed)
        std::swap(globalParams, m_params);
    int pages = 0;
    {
        const GooString name(QFile::encodeName(path).toStdString());
        const std::unique_ptr<PDFDoc> doc = PDFDocFactory().createPDFDoc(name);
        if (doc && doc->isOk())
            pages = doc->getNumPages();
    }
    if (borrowed)
        std::swap(globalParams, m_params);
    return pages;
}
