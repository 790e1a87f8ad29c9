// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DocumentSignals.h"

#include "document/SpriteDocument.h"

CDocumentSignals::CDocumentSignals(CSpriteDocument& document, QObject* parent)
    : QObject(parent), m_document(document)
{
    m_document.AddObserver(this);
}

CDocumentSignals::~CDocumentSignals()
{
    m_document.RemoveObserver(this);
}
