// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/SpriteDocument.h"

#include "document/WrittenSheet.h"
#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <cstring>

CSpriteDocument::CSpriteDocument() = default;
CSpriteDocument::~CSpriteDocument() = default;

void CSpriteDocument::AddObserver(IDocumentObserver* observer)
{
    m_observers.push_back(observer);
}

void CSpriteDocument::RemoveObserver(IDocumentObserver* observer)
{
    std::erase(m_observers, observer);
}

template <typename Call> void CSpriteDocument::Tell(Call call)
{
    // An observer may add or remove observers while it is told.
    const std::vector<IDocumentObserver*> observers = m_observers;
    for (IDocumentObserver* observer : observers)
        call(*observer);
}

OpenOutcome CSpriteDocument::Open(const std::string& path, TrailingBlockUse trailing)
{
    OpenedFile input;
    OpenToOpen(path, input);
    return Open(input, trailing);
}

OpenOutcome CSpriteDocument::Open(OpenedFile& input, TrailingBlockUse trailing)
{
    // A picture, by its content, becomes a new unnamed sheet.
    if (KindOf(input.format) == FormatKind::Picture)
    {
        const Result made = ImportAsNew(input, SpriteLayout::Spr, CTrailingBlock());
        return {made, made.Ok()};
    }
    const std::string& path = input.path;
    SheetState sheet;
    sheet.source = std::make_unique<CSpriteImage>();
    if (Result loaded = ReadSheetFile(input, *sheet.source, sheet.layout); !loaded)
        return {loaded};
    // The sheet is read: the file is not needed for what follows.
    input.file.Close();
    OpenOutcome opened;
    opened.opened = true;
    std::optional<FileIdentity> unreadTrailing;
    if (sheet.layout == SpriteLayout::Sp2)
        opened.showSp2Note = true;
    else if (trailing == TrailingBlockUse::Read)
        if (Result read = m_readTrailing(path.c_str(), sheet.trailing); !read)
        {
            unreadTrailing = IdentityOf(path.c_str());
            opened.result = WithMessage(read, Message::ReadTrailingFailed);
        }
    // Only a sheet that was read replaces the one open.
    Clear();
    m_unreadTrailingFile = unreadTrailing;
    m_sourcePath = path;
    m_fileName = path;
    Install(std::move(sheet), true);
    return opened;
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
    const CColorTable& old = m_sheet.source->m_colorTable;
    CColorTable& table = picture.m_colorTable;
    // A picture of 24 or 32 bits defines no entry: it keeps the whole table,
    // whose rows Reduce Colours can then map it onto.
    if (picture.GetBitsPerPixel() != 8 && table.GetSize() == 0)
    {
        table = old;
        return;
    }
    const std::int32_t kept = std::min(old.GetSize(), table.GetSize());
    for (std::int32_t i = std::max(definedColors, 0); i < kept; ++i)
        table.SetAt(i, *old.GetAt(i));
}

Result CSpriteDocument::ImportAsNew(const std::string& path, SpriteLayout layout,
                                    CTrailingBlock trailing)
{
    OpenedFile input;
    OpenToImport(path, input);
    return ImportAsNew(input, layout, std::move(trailing));
}

Result CSpriteDocument::ImportAsNew(OpenedFile& input, SpriteLayout layout,
                                    CTrailingBlock trailing)
{
    SheetState sheet;
    sheet.source = std::make_unique<CSpriteImage>();
    if (Result loaded = ReadPictureFile(input, *sheet.source); !loaded)
        return loaded;
    sheet.layout = layout;
    sheet.trailing = std::move(trailing);
    Clear();
    Install(std::move(sheet), false);
    return {};
}

Result CSpriteDocument::Save(CReplaceBatch* batch, LossySave lossy)
{
    if (!HasSheet())
        return {};
    SettlePixels();
    if (Result allowed = CheckSaveTarget(lossy); !allowed)
        return allowed;
    const Result saved = SaveSheetFile(*m_sheet.source, m_fileName, m_sheet.layout,
                                       &m_sheet.trailing, batch, m_progress);
    if (!saved)
        return saved;
    BecomeWhatWasWritten();
    m_history.MarkClean();
    m_fileLost = false;
    const bool renamed = m_sourcePath != m_fileName;
    m_sourcePath = m_fileName;
    // The block now also lies in the file just written, which may have
    // replaced the one it was copied from.
    if (!batch && m_sheet.layout == SpriteLayout::Spr)
        m_sheet.trailing.Rebase(m_fileName.c_str());
    if (renamed)
        Tell([](IDocumentObserver& observer) { observer.OnNameChanged(); });
    Tell([](IDocumentObserver& observer) { observer.OnSaved(); });
    AnnounceState();
    return saved;
}

void CSpriteDocument::BecomeWhatWasWritten()
{
    const SpriteLayout layout = m_sheet.layout;
    auto written = std::make_unique<CSpriteImage>();
    if (!SheetAsWritten(*m_sheet.source, layout, *written))
        return;
    const bool blockDropped = layout == SpriteLayout::Sp2 && m_sheet.trailing.Size() > 0;
    if (ShowsTheSame(*written, *m_sheet.source) && !blockDropped)
        return;
    std::optional<CTrailingBlock> trailing;
    if (blockDropped)
        trailing = CTrailingBlock();
    Apply(EditKind::SaveChanges,
          std::make_unique<CSheetStep>(std::move(written), std::move(trailing), layout));
}

Result CSpriteDocument::CheckSaveTarget(LossySave lossy) const
{
    if (m_fileName.empty())
        return WithMessage({}, Message::NoFileName);
    if (IsSameFile(m_unreadTrailingFile, IdentityOf(m_fileName.c_str())))
        return WithMessage(Failure(Reason::TrailingBlockUnread), Message::CannotCreate);
    const SaveLosses losses = LossesIn(m_sheet.layout);
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
    const bool renamed = m_fileName != path;
    const bool relaid = m_sheet.layout != layout;
    m_fileName = path;
    m_sheet.layout = layout;
    if (renamed)
        Tell([](IDocumentObserver& observer) { observer.OnNameChanged(); });
    if (relaid)
        Tell([](IDocumentObserver& observer) { observer.OnLayoutChanged(); });
    return Save(batch, lossy);
}

SaveLosses CSpriteDocument::LossesIn(SpriteLayout layout) const
{
    return HasSheet() ? FindSaveLosses(*m_sheet.source, layout, m_sheet.trailing.Size())
                      : SaveLosses();
}

SaveLosses CSpriteDocument::LossesOfSave() const
{
    return LossesIn(m_sheet.layout);
}

SaveLosses CSpriteDocument::LossesOfSaveAs(const std::string& path) const
{
    return LossesIn(LayoutForName(path));
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
    if (!HasSheet() || row == m_paletteRow)
        return;
    m_paletteRow = row;
    if (!m_displayStale)
        ApplyPaletteRow(*m_sheet.source, *m_display, row);
    Tell([row](IDocumentObserver& observer) { observer.OnPaletteRowChanged(row); });
}

void CSpriteDocument::Clear()
{
    m_fileName.clear();
    m_sourcePath.clear();
    m_sheet = SheetState();
    m_displayStale = true;
    m_unreadTrailingFile = {};
    m_history.Reset(true);
    m_fileLost = false;
    m_importPicture.reset();
    m_importMapped.reset();
    m_pixelEdits.Forget();
    AnnounceEverything();
}

std::int32_t CSpriteDocument::Width() const
{
    return HasSheet() ? m_sheet.source->GetWidth() : 0;
}

std::int32_t CSpriteDocument::Height() const
{
    return HasSheet() ? m_sheet.source->GetHeight() : 0;
}

const CSpriteImage* CSpriteDocument::Display() const
{
    if (!HasSheet())
        return nullptr;
    if (!m_display)
        m_display = std::make_unique<CSpriteImage>();
    if (m_displayStale)
    {
        *m_display = *m_sheet.source;
        ApplyPaletteRow(*m_sheet.source, *m_display, m_paletteRow);
        m_displayStale = false;
    }
    return m_display.get();
}

void CSpriteDocument::Install(SheetState sheet, bool clean)
{
    m_sheet = std::move(sheet);
    m_preview.reset();
    m_displayStale = true;
    m_paletteRow = 0;
    m_history.Reset(clean);
    m_fileLost = false;
    m_pixelEdits.Forget();
    AnnounceEverything();
}

void CSpriteDocument::Apply(EditKind kind, std::unique_ptr<IUndoStep> step)
{
    SettlePixels();
    SheetChanges changes;
    step->Redo(m_sheet, changes);
    m_history.Push(kind, std::move(step));
    Announce(changes);
    AnnounceState();
}

void CSpriteDocument::Record(EditKind kind, std::unique_ptr<IUndoStep> step)
{
    m_history.Push(kind, std::move(step));
    AnnounceState();
}

void CSpriteDocument::Undo()
{
    SettlePixels();
    IUndoStep* step = m_history.StepBack();
    if (step == nullptr)
        return;
    SheetChanges changes;
    step->Undo(m_sheet, changes);
    Announce(changes);
    AnnounceState();
}

void CSpriteDocument::Redo()
{
    SettlePixels();
    IUndoStep* step = m_history.StepForward();
    if (step == nullptr)
        return;
    SheetChanges changes;
    step->Redo(m_sheet, changes);
    Announce(changes);
    AnnounceState();
}

void CSpriteDocument::MarkUnsaved()
{
    if (!HasSheet())
        return;
    m_fileLost = true;
    AnnounceState();
}

namespace
{
void CopyPixels(const CSpriteImage& from, CSpriteImage& to, const SheetRect& area)
{
    const std::size_t pixelBytes = std::size_t(from.GetBitsPerPixel() / 8);
    const std::size_t stride = std::size_t(from.GetWidth()) * pixelBytes;
    const std::size_t offset = std::size_t(area.x) * pixelBytes;
    for (std::int32_t y = area.y; y < area.y + area.height; ++y)
        std::memcpy(to.GetPixels() + std::size_t(y) * stride + offset,
                    from.GetPixels() + std::size_t(y) * stride + offset,
                    std::size_t(area.width) * pixelBytes);
}

void CopyColors(const CSpriteImage& from, CSpriteImage& to, std::int32_t first, std::int32_t last)
{
    for (std::int32_t entry = first; entry <= last; ++entry)
        to.m_colorTable.SetAt(entry, *from.m_colorTable.GetAt(entry));
}
} // namespace

void CSpriteDocument::Announce(const SheetChanges& changes)
{
    if (changes.replaced)
        m_displayStale = true;
    if (!m_displayStale)
    {
        if (!changes.pixels.IsEmpty())
            CopyPixels(*m_sheet.source, *m_display, changes.pixels);
        if (changes.firstColor >= 0)
        {
            CopyColors(*m_sheet.source, *m_display, changes.firstColor, changes.lastColor);
            ApplyPaletteRow(*m_sheet.source, *m_display, m_paletteRow);
        }
    }
    if (changes.replaced)
        Tell([](IDocumentObserver& observer) { observer.OnSheetReplaced(Replacement::Step); });
    if (!changes.replaced && !changes.pixels.IsEmpty())
        Tell([&changes](IDocumentObserver& observer) { observer.OnPixelsChanged(changes.pixels); });
    if (!changes.replaced && changes.firstColor >= 0)
        Tell([&changes](IDocumentObserver& observer)
             { observer.OnColorsChanged(changes.firstColor, changes.lastColor); });
    if (changes.layout)
        Tell([](IDocumentObserver& observer) { observer.OnLayoutChanged(); });
}

void CSpriteDocument::AnnounceEverything()
{
    Tell(
        [this](IDocumentObserver& observer)
        {
            observer.OnSheetReplaced(Replacement::NewSheet);
            observer.OnPaletteRowChanged(m_paletteRow);
            observer.OnNameChanged();
            observer.OnLayoutChanged();
        });
    m_toldModified = !IsModified();
    AnnounceState();
}

void CSpriteDocument::AnnounceState()
{
    const bool modified = IsModified();
    if (modified != m_toldModified)
    {
        m_toldModified = modified;
        Tell([modified](IDocumentObserver& observer) { observer.OnModifiedChanged(modified); });
    }
    Tell([](IDocumentObserver& observer) { observer.OnHistoryChanged(); });
}

void CSpriteDocument::AnnounceSelection()
{
    Tell([](IDocumentObserver& observer) { observer.OnSelectionChanged(); });
}
