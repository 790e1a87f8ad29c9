#include "doc/SpriteDocument.h"

#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"

CSpriteDocument::CSpriteDocument() = default;
CSpriteDocument::~CSpriteDocument() = default;

OpenOutcome CSpriteDocument::Open(const std::string& path, TrailingBlockUse trailing)
{
    Clear();
    const SpriteLayout layout = ChooseSpriteLayout(path.c_str());
    auto image = std::make_unique<CSpriteImage>();
    if (Result loaded = LoadSpriteSheet(path.c_str(), layout, *image); !loaded)
        return {loaded};
    Install(std::move(image));
    m_layout = layout;
    if (layout == SpriteLayout::Sp2)
        return {{}, true};
    if (trailing == TrailingBlockUse::Skip)
        return {};
    if (Result read = CTrailingBlock::Read(path.c_str(), m_trailing); !read)
        return {WithMessage(read, Message::ReadTrailingFailed)};
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

Result CSpriteDocument::ImportAsNew(const std::string& path, SpriteLayout layout,
                                    CTrailingBlock trailing)
{
    Clear();
    auto image = std::make_unique<CSpriteImage>();
    if (Result loaded = LoadPicture(path, PictureFormatForPath(path), *image); !loaded)
        return loaded;
    Install(std::move(image));
    m_layout = layout;
    m_trailing = std::move(trailing);
    m_modified = true;
    return {};
}

Result CSpriteDocument::Save(CReplaceBatch* batch)
{
    if (!HasSheet())
        return {};
    const Result saved =
        SaveSpriteFile(*m_source, m_fileName.c_str(), m_layout, &m_trailing, batch);
    if (saved)
        m_modified = false;
    return saved;
}

Result CSpriteDocument::SaveAs(const std::string& path, CReplaceBatch* batch)
{
    if (!HasSheet())
        return {};
    m_fileName = path;
    return Save(batch);
}

Result CSpriteDocument::Export(const std::string& path, CReplaceBatch* batch) const
{
    return ExportPicture(path, {PictureFormatForPath(path)}, batch);
}

Result CSpriteDocument::ExportPaletteRow(const std::string& path, std::int32_t row,
                                         CReplaceBatch* batch) const
{
    return ExportPicture(path, {PictureFormatForPath(path), row}, batch);
}

void CSpriteDocument::ChoosePaletteRow(std::int32_t row)
{
    if (!HasSheet())
        return;
    m_paletteRow = row;
    ApplyPaletteRow(*m_source, *m_display, row);
}

void CSpriteDocument::Clear()
{
    m_fileName.clear();
    m_display.reset();
    m_source.reset();
    m_trailing = CTrailingBlock();
    m_layout = SpriteLayout::Spr;
    m_paletteRow = 0;
    m_modified = false;
    m_importPicture.reset();
    m_importMapped.reset();
}

std::int32_t CSpriteDocument::Width() const
{
    return m_display ? m_display->GetWidth() : 0;
}

std::int32_t CSpriteDocument::Height() const
{
    return m_display ? m_display->GetHeight() : 0;
}

void CSpriteDocument::Install(std::unique_ptr<CSpriteImage> source)
{
    m_display.reset();
    m_source = std::move(source);
    m_display = std::make_unique<CSpriteImage>();
    *m_display = *m_source;
    ChoosePaletteRow(0);
}
