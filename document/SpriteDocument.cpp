// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/SpriteDocument.h"

#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"

#include <algorithm>

CSpriteDocument::CSpriteDocument(DisplayImage display) : m_displayUse(display) {}
CSpriteDocument::~CSpriteDocument() = default;

OpenOutcome CSpriteDocument::Open(const std::string& path, TrailingBlockUse trailing)
{
    Clear();
    SpriteLayout layout = SpriteLayout::Spr;
    auto image = std::make_unique<CSpriteImage>();
    if (Result loaded = ReadSheetFile(path, *image, layout); !loaded)
        return {loaded};
    Install(std::move(image));
    m_layout = layout;
    m_sourcePath = path;
    if (layout == SpriteLayout::Sp2)
        return {{}, true};
    if (trailing == TrailingBlockUse::Skip)
        return {};
    if (Result read = m_readTrailing(path.c_str(), m_trailing); !read)
    {
        m_unreadTrailingFile = IdentityOf(path.c_str());
        return {WithMessage(read, Message::ReadTrailingFailed)};
    }
    return {};
}

Result CSpriteDocument::Import(const std::string& path)
{
    ImportMatch ignored;
    if (Result prepared = PrepareImport(path, ignored); !prepared)
        return prepared;
    FinishImport(false);
    return {};
}

void CSpriteDocument::KeepUndefinedColors(CSpriteImage& picture, std::int32_t definedColors) const
{
    const CColorTable& old = m_source->m_colorTable;
    CColorTable& table = picture.m_colorTable;
    const std::int32_t kept = std::min(old.GetSize(), table.GetSize());
    for (std::int32_t i = std::max(definedColors, 0); i < kept; ++i)
        table.SetAt(i, *old.GetAt(i));
}

Result CSpriteDocument::ImportAsNew(const std::string& path, SpriteLayout layout,
                                    CTrailingBlock trailing)
{
    Clear();
    auto image = std::make_unique<CSpriteImage>();
    if (Result loaded = ReadPictureFile(path, *image); !loaded)
        return loaded;
    Install(std::move(image));
    m_layout = layout;
    m_trailing = std::move(trailing);
    m_modified = true;
    return {};
}

Result CSpriteDocument::Save(CReplaceBatch* batch, LossySave lossy)
{
    if (!HasSheet())
        return {};
    if (Result allowed = CheckSaveTarget(lossy); !allowed)
        return allowed;
    const Result saved = SaveSheetFile(*m_source, m_fileName, m_layout, &m_trailing, batch);
    if (!saved)
        return saved;
    m_modified = false;
    m_sourcePath = m_fileName;
    // The block now also lies in the file just written, which may have
    // replaced the one it was copied from.
    if (!batch && m_layout == SpriteLayout::Spr)
        m_trailing.Rebase(m_fileName.c_str());
    return saved;
}

Result CSpriteDocument::CheckSaveTarget(LossySave lossy) const
{
    if (m_fileName.empty())
        return WithMessage({}, Message::NoFileName);
    if (IsSameFile(m_unreadTrailingFile, IdentityOf(m_fileName.c_str())))
        return WithMessage(Failure(Reason::TrailingBlockUnread), Message::CannotCreate);
    const SaveLosses losses = FindSaveLosses(*m_source, m_layout);
    if (!losses.Any() || lossy == LossySave::Accept)
        return {};
    Result refused = WithMessage(Failure(Reason::PictureChanged), Message::SaveChangesPicture);
    refused.detail = SaveLossText(losses);
    return refused;
}

Result CSpriteDocument::SaveAs(const std::string& path, CReplaceBatch* batch, LossySave lossy)
{
    return SaveAsLayout(path, LayoutForName(path), batch, lossy);
}

Result CSpriteDocument::SaveAsLayout(const std::string& path, SpriteLayout layout,
                                     CReplaceBatch* batch, LossySave lossy)
{
    if (!HasSheet())
        return {};
    m_fileName = path;
    m_layout = layout;
    return Save(batch, lossy);
}

SaveLosses CSpriteDocument::LossesOfSave() const
{
    return HasSheet() ? FindSaveLosses(*m_source, m_layout) : SaveLosses();
}

SaveLosses CSpriteDocument::LossesOfSaveAs(const std::string& path) const
{
    return HasSheet() ? FindSaveLosses(*m_source, LayoutForName(path)) : SaveLosses();
}

Result CSpriteDocument::Export(const std::string& path, CReplaceBatch* batch) const
{
    return ExportPicture(path, {PictureFormatForName(path)}, batch);
}

Result CSpriteDocument::ExportPaletteRow(const std::string& path, std::int32_t row,
                                         CReplaceBatch* batch) const
{
    return ExportPicture(path, {PictureFormatForName(path), row}, batch);
}

void CSpriteDocument::ChoosePaletteRow(std::int32_t row)
{
    if (!HasSheet())
        return;
    m_paletteRow = row;
    if (m_display)
        ApplyPaletteRow(*m_source, *m_display, row);
}

void CSpriteDocument::Clear()
{
    m_fileName.clear();
    m_sourcePath.clear();
    m_display.reset();
    m_source.reset();
    m_trailing = CTrailingBlock();
    m_unreadTrailingFile = {};
    m_layout = SpriteLayout::Spr;
    m_paletteRow = 0;
    m_modified = false;
    m_importPicture.reset();
    m_importMapped.reset();
}

std::int32_t CSpriteDocument::Width() const
{
    return m_source ? m_source->GetWidth() : 0;
}

std::int32_t CSpriteDocument::Height() const
{
    return m_source ? m_source->GetHeight() : 0;
}

void CSpriteDocument::Install(std::unique_ptr<CSpriteImage> source)
{
    m_display.reset();
    m_source = std::move(source);
    if (m_displayUse == DisplayImage::Kept)
    {
        m_display = std::make_unique<CSpriteImage>();
        *m_display = *m_source;
    }
    ChoosePaletteRow(0);
}
