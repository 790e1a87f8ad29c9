// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "document/ColorwayRequest.h"
#include "document/DocumentFiles.h"
#include "document/DocumentObserver.h"
#include "document/EditKind.h"
#include "document/ImportMatch.h"
#include "document/PaletteEdits.h"
#include "document/PixelEditState.h"
#include "document/SaveLosses.h"
#include "document/SheetState.h"
#include "document/UndoHistory.h"
#include "formats/PaletteFile.h"
#include "formats/SpriteFile.h"
#include "formats/TrailingBlock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CColorTable;
class CReplaceBatch;
class IProgress;
class CSpriteImage;

// What became of Open, beyond its Result.
struct OpenOutcome
{
    Result result;
    // The file became the sheet, though result may still report a failure
    // (a trailing block that could not be read). Otherwise the sheet open
    // before stays as it was.
    bool opened = false;
    // An SP2 file opened: the user is told that its sheet keeps no colours.
    bool showSp2Note = false;
};

// Whether Open reads an SPR file's trailing block. A program that will not
// write the sheet back as SPR has no use for it.
enum class TrailingBlockUse
{
    Read,
    Skip,
};

// Whether a save may write a picture the layout cannot hold exactly.
enum class LossySave
{
    Refuse, // the save fails with Message::SaveChangesPicture, listing the changes
    Accept, // the user was told the changes and chose to save
};

// How Open reads an SPR file's trailing block.
using TrailingBlockReader = Result (*)(const char* path, CTrailingBlock& block);

// What to do when the sheet's file has changed on disk.
enum class OutsideChange
{
    Reload, // nothing would be lost
    Ask,    // the sheet has changes no Save has written
};

// The sheet being worked on and every rule of the commands on it: the source
// image as opened or imported, the display image (a copy whose first 16
// colours are the chosen palette row), the trailing block of an SPR file,
// the layout a Save writes, the name it writes to, the history of its
// changes and whether there are changes no Save has written. Front ends ask,
// then tell the user: nothing here shows a message. Observers hear of every
// change after it is made. Every command but Open does nothing without a
// sheet.
class CSpriteDocument
{
public:
    CSpriteDocument();
    ~CSpriteDocument();

    // Observers are told of every change until removed; the document does
    // not own them.
    void AddObserver(IDocumentObserver* observer);
    void RemoveObserver(IDocumentObserver* observer);

    CSpriteDocument(const CSpriteDocument&) = delete;
    CSpriteDocument& operator=(const CSpriteDocument&) = delete;

    // Reads the file first and, only when that succeeds, replaces the sheet
    // with it and starts a new history; a failed Open leaves the sheet that
    // was open as it was. The layout is the format table's
    // (document/DocumentFiles.h), and a BMP or PNG picture becomes a new
    // unnamed SPR sheet, as ImportAsNew makes it; a palette file is refused.
    // The file is the name Save writes to. An SPR file's trailing block that
    // cannot be read is a failure with the sheet open all the same, without
    // the block.
    OpenOutcome Open(const std::string& path, TrailingBlockUse trailing = TrailingBlockUse::Read);
    // The same for a file already opened and told (OpenToOpen, OpenToConvert).
    OpenOutcome Open(OpenedFile& input, TrailingBlockUse trailing = TrailingBlockUse::Read);
    // A picture in place of the sheet (a BMP or PNG, as the format table
    // tells); the file name, the layout and the
    // trailing block stay, so a Save writes it as the file opened last.
    // Colour entries the picture's file does not define keep the colours of
    // the sheet it replaces, as the trailing block is kept (a picture of 24
    // or 32 bits defines none, and keeps the whole table).
    Result Import(const std::string& path);
    // Writes the sheet to the file name in the layout it has;
    // Message::NoFileName without a name (the front end asks for one and
    // runs SaveAs). A picture the layout cannot hold exactly is refused
    // unless the loss was accepted; once written, the sheet is what the file
    // now holds (colours rounded, rows cut, an SP2 file's grey ramp), one
    // step that Undo takes back. A file whose trailing block could not be
    // read at Open is never replaced: its block would be lost.
    Result Save(CReplaceBatch* batch = nullptr, LossySave lossy = LossySave::Refuse);
    // Takes the name and the layout of its extension (as Open reads it),
    // even when the save then fails, and saves.
    Result SaveAs(const std::string& path, CReplaceBatch* batch = nullptr,
                  LossySave lossy = LossySave::Refuse);
    // The same in a layout chosen otherwise, for a converter told the format.
    Result SaveAsLayout(const std::string& path, SpriteLayout layout,
                        CReplaceBatch* batch = nullptr, LossySave lossy = LossySave::Refuse);
    // What Save, or Save As to path, would change in the picture, its
    // colours and its trailing block.
    SaveLosses LossesOfSave() const;
    SaveLosses LossesOfSaveAs(const std::string& path) const;
    // The source image with its whole colour table, whatever row is shown,
    // in the picture format of the name (PictureFormatForName).
    Result Export(const std::string& path, CReplaceBatch* batch = nullptr) const;
    // What the display shows for a palette row: colours 16 * row to
    // 16 * row + 15 in entries 0 to 15 (a PNG of 16 colours for ".png").
    Result ExportPaletteRow(const std::string& path, std::int32_t row,
                            CReplaceBatch* batch = nullptr) const;
    // A choice of view, not a change of the sheet: no step, no changes to save.
    void ChoosePaletteRow(std::int32_t row);
    // Forgets everything but the palette row, which is the view's choice, as
    // a closing window does.
    void Clear();

    // The history. Every change of the sheet is one step; the sheet has
    // unsaved changes exactly when it stands elsewhere than where it was
    // last opened, read again or saved. Open, Clear and a new sheet start a
    // new history.
    // A floating block is the step Undo takes: it is placed first.
    bool CanUndo() const { return m_history.CanUndo() || IsFloating(); }
    bool CanRedo() const { return m_history.CanRedo() && !IsFloating(); }
    std::optional<EditKind> UndoKind() const
    {
        return IsFloating() ? m_pixelEdits.floating->kind : m_history.UndoKind();
    }
    std::optional<EditKind> RedoKind() const
    {
        return IsFloating() ? std::nullopt : m_history.RedoKind();
    }
    void Undo();
    void Redo();
    // The memory the steps may hold; 0 keeps no history (a converter).
    void SetHistoryLimit(std::size_t bytes) { m_history.SetLimit(bytes); }
    const CUndoHistory& History() const { return m_history; }
    // The file on disk no longer holds the sheet (deleted, cut short):
    // there are changes to save until a Save writes it again, or the file is
    // read again; wherever Undo and Redo go, the file holds none of it.
    void MarkUnsaved();

    // PNG, palette files and colour matching (document/DocumentPalette.cpp).
    //
    // Import in two steps, so that the viewer can ask in between: the picture
    // is read and matched against the sheet's colours, nothing changes yet;
    // then it becomes the sheet, as it is or, when the match allowed it, on
    // the sheet's colour table with its indices recovered.
    Result PrepareImport(const std::string& path, ImportMatch& match);
    void FinishImport(bool ontoSheetColors);
    // Export in a given format, whatever the name; Export and
    // ExportPaletteRow take the format from the name.
    Result ExportPicture(const std::string& path, const ExportOptions& options,
                         CReplaceBatch* batch = nullptr) const;
    // Load Palette: a file of at most 16 colours replaces the shown palette
    // row, a longer one the table from entry 0. Pixels never change; the
    // sheet has changes to save. Colours enter rounded to what a colour word
    // holds, so the screen shows what a Save writes; rounded, when given,
    // learns how many of them that changed.
    Result LoadPalette(const std::string& path, std::int32_t* rounded = nullptr);
    // A picture without indices (16, 24 or 32 bits) takes the colours too:
    // they are the colour table Reduce Colours fits it into.
    // The same from an explicit first entry.
    Result LoadPaletteAt(const std::string& path, std::int32_t first,
                         std::int32_t* rounded = nullptr);
    Result ReplaceColors(const std::vector<ColorEntry>& colors, std::int32_t first,
                         std::int32_t* rounded = nullptr);
    // Save Palette: one row's 16 colours or the whole table.
    Result SavePalette(const std::string& path, PaletteFormat format,
                       std::optional<std::int32_t> row, CReplaceBatch* batch = nullptr) const;
    // The sheet on the table's colours (onto one row of it, with a row),
    // exactly, or a failure naming the first colour and pixel that do not
    // match; the sheet stays as it was then.
    Result MapOntoColors(const CColorTable& table, std::optional<std::int32_t> row);

    // A sheet that starts from a picture rather than an opened file: no
    // name, the given layout and trailing block, and changes to save. The
    // converter's picture input. A picture that cannot be read changes
    // nothing.
    Result ImportAsNew(const std::string& path, SpriteLayout layout, CTrailingBlock trailing);
    Result ImportAsNew(OpenedFile& input, SpriteLayout layout, CTrailingBlock trailing);
    // The layout and trailing block a save writes, for a converter whose
    // output layout is not that of its input.
    void SetTrailingBlock(CTrailingBlock trailing) { m_sheet.trailing = std::move(trailing); }

    // Palette edits (document/DocumentPaletteEdits.cpp). Each is one step
    // of the history, which observers hear of as colours (and pixels)
    // changed. A colour enters the table rounded to what a colour word
    // holds, so what the views show is what a Save writes. Entries count 0
    // to 255 through the table, rows 0 to 15 and indices 0 to 15 within a
    // row; a picture without palette rows (16, 24 or 32 bits) has none. A
    // command that would leave the sheet as it is makes no step.
    Result SetColor(std::int32_t entry, const ColorEntry& color,
                    EditKind kind = EditKind::EditColor);
    // Paste Colour: the one colour on the clipboard.
    Result PasteColor(std::int32_t entry, const std::vector<ColorEntry>& colors);
    // Drag and drop of swatches: a drop swaps two entries, a Ctrl+drop
    // copies one onto the other.
    Result SwapColors(std::int32_t a, std::int32_t b);
    Result CopyColor(std::int32_t from, std::int32_t to);
    // Colours from index 0 of the row on; at most 16.
    Result PasteRow(std::int32_t row, const std::vector<ColorEntry>& colors);
    Result SwapRows(std::int32_t a, std::int32_t b);
    Result SwapIndices(std::int32_t i, std::int32_t j, IndexSwap what);
    // The entries strictly between first and last take evenly spaced
    // colours from first's to last's, channel by channel in the 5 bits a
    // colour word holds.
    Result FillGradient(std::int32_t first, std::int32_t last);
    // The colour editor's live preview: the entry shows the colour at once,
    // without a step. Finishing keeps it as one step from the colour the
    // entry had before the preview, or puts that colour back.
    Result PreviewColor(std::int32_t entry, const ColorEntry& color);
    void FinishColorPreview(bool keep);
    // File > New: an unnamed sheet of the layout with every pixel 0, which
    // has changes to save. A palette file that cannot be read leaves the
    // sheet open before as it was.
    Result NewSheet(SpriteLayout layout, NewSheetColors colors,
                    const std::string& palettePath = std::string());
    // Copy Row: a row's sixteen colours.
    std::vector<ColorEntry> RowColors(std::int32_t row) const;

    // Truecolour art into palette rows (document/DocumentReduce.cpp). Each
    // result is one step: a picture of indices 0-15 on the sheet's table,
    // whose rows written are rounded to colour words, so a preview shows
    // exactly what a Save writes; every other entry stays as it was (a
    // picture without a table gets one of 256 colours, black beyond the
    // rows written). The view then shows the row written (the base's).
    //
    // Whether Reduce Colours is offered: the sheet is a picture of 24 or
    // 32 bits, or of 8 bits with a pixel above 15, or it was just imported
    // (Undo would take an Import), whatever its colours.
    bool CanReduceColors() const;
    // Reduce Colours: the picture as the view shows it into palette row
    // `row`. The preview changes nothing; its picture is the result's
    // pixels with the row as its 16 colours, and its report the result's.
    Result PreviewReduceColors(std::int32_t row, const ReduceOptions& options,
                               ReducedPicture& preview) const;
    Result ReduceColors(std::int32_t row, const ReduceOptions& options);
    // Import Colourways: one sheet of pixel classes and each picture's
    // colours in its row, exactly; with more than 15 classes a failure
    // naming their count and the pixel that makes the 16th, unless the
    // request reduces them. The preview's sheet has the base's row as its
    // 16 colours.
    Result PreviewColorways(const ColorwayRequest& request, ColorwaySheet& preview) const;
    Result ImportColorways(const ColorwayRequest& request);

    bool HasSheet() const { return m_sheet.source != nullptr; }
    const CSpriteImage* Source() const { return m_sheet.source.get(); }
    // Built when first asked for after the sheet was replaced, then kept in
    // step with every change; the pointer stays the same while there is a sheet.
    const CSpriteImage* Display() const;
    std::int32_t PaletteRow() const { return m_paletteRow; }
    std::int32_t Width() const;
    std::int32_t Height() const;
    SpriteLayout Layout() const { return m_sheet.layout; }
    const std::string& FileName() const { return m_fileName; }
    // The file the sheet was last read from or saved to; empty for a sheet
    // from a picture.
    const std::string& SourcePath() const { return m_sourcePath; }
    const CTrailingBlock& TrailingBlock() const { return m_sheet.trailing; }
    // A floating block not yet placed is a change too.
    bool IsModified() const
    {
        return HasSheet() && (!m_history.IsClean() || m_fileLost || IsFloating());
    }

    // Hears of long saves and may stop them (the window's progress dialog);
    // null for none. The document does not own it.
    void SetProgress(IProgress* progress) { m_progress = progress; }
    // How Open reads trailing blocks: CTrailingBlock::Read unless a test
    // needs a failure or a smaller limit for keeping a block by reference.
    void SetTrailingBlockReader(TrailingBlockReader reader) { m_readTrailing = reader; }
    // The desktop's round trips (document/SpriteDocumentRoundTrip.cpp).
    // Whether Open makes a new sheet of the file as a picture.
    static bool IsPicturePath(const std::string& path);
    // Reads SourcePath again in the sheet's layout, keeping the palette
    // row: a step that can be undone, after which the sheet is what its file
    // holds. On failure the sheet stays as it was, changes and all.
    Result Revert();
    // The same for a file changed outside, which may be half written: a
    // file shorter than its layout's sheet is not taken.
    Result Reload();
    // A sheet whose only change is that its file went missing loses nothing
    // when the file, back again, is read.
    OutsideChange DecideOutsideChange() const;
    // The sheet as an indexed PNG with its whole table, for an image editor.
    Result WriteForEditing(const std::string& path) const;
    // The edited PNG back in place of the sheet's pixels, mapped exactly onto
    // the sheet's colour table; the table, name, layout and trailing block
    // stay. A colour that does not map changes nothing. Pixels that are what
    // the sheet holds already are no change.
    Result BringBackEdited(const std::string& path);

    // Pixel edits (document/DocumentPixelEdits.cpp): the drawing tools, the
    // selection and the clipboard. Only an 8-bit picture takes them. The
    // tools draw with an index of the shown palette row, 0 to 15: on a
    // picture whose pixels use entries above 15 it stands for entry
    // 16 * row + index, else it is the pixel's value. Every stroke and every
    // command is one step holding only the rectangle it changed. A pasted or
    // moved block floats over the sheet, drawn into it, until it is placed;
    // every other command places it first.
    //
    // Failure(Reason::PictureNotEightBit) on a picture the tools cannot draw on.
    Result CanEditPixels() const;
    // The pixel's index, and its row when it holds an entry above 15.
    std::optional<PickedIndex> PickIndex(SheetPoint at) const;
    // A stroke draws straight into the sheet, announcing each change as it
    // is made, and becomes one step of its kind when it ends; a stroke that
    // changed nothing leaves no step.
    void BeginStroke(EditKind kind);
    bool InStroke() const { return m_pixelEdits.stroke.has_value(); }
    // Freehand: the runs drawn with the index, over what the stroke drew.
    void AddToStroke(const PixelRuns& runs, std::int32_t index);
    // A two-point tool: the figure drawn last gives way to this one.
    void ReplaceStroke(const PixelRuns& runs, std::int32_t index);
    // The 4-connected pixels equal to the one at `at` take the index.
    void FillInStroke(SheetPoint at, std::int32_t index);
    void EndStroke();
    // The sheet as the stroke found it, and no step.
    void CancelStroke();

    // The selected rectangle, or the floating block's place (which may
    // reach past the picture).
    std::optional<SheetRect> Selection() const;
    bool IsFloating() const { return m_pixelEdits.floating.has_value(); }
    bool IsFloatingPaste() const;
    // The part of the area inside the picture; none when that is empty.
    void Select(const SheetRect& area);
    void SelectAll();
    // Places a floating block, then forgets the selection.
    void Deselect();
    // The selection's pixels move, their place left as index 0; the block
    // floats from the first move until it is placed.
    void MoveSelection(std::int32_t dx, std::int32_t dy);
    // The floating block becomes its step (Paste or Move), selected where
    // it lies; false when nothing floats.
    bool PlaceFloating();
    // Escape: drops a floating paste (the sheet and selection are as before
    // it), or else ends the selection, placing a moved block; false when
    // there was neither, for the front end to go on.
    bool EndPasteOrSelection();
    void FlipSelection(bool horizontal);
    // The selection becomes index 0; a floating block is taken away instead.
    void DeleteSelection();
    // An indexed PNG of the selection (of a floating block, the block)
    // with the sheet's whole colour table, for a clipboard.
    Result CopySelection(std::vector<std::uint8_t>& png) const;
    Result CutSelection(std::vector<std::uint8_t>& png);
    // A picture floats at `at`, mapped exactly onto the sheet: an indexed
    // picture whose indices already hold the sheet's colours keeps them;
    // else every colour must be one entry of the shown palette row. Any
    // other picture is refused (Message::PasteFailed) naming the first
    // colour and pixel that do not map, and nothing changes.
    Result PastePicture(const CSpriteImage& picture, SheetPoint at);
    Result PastePng(const std::uint8_t* data, std::size_t size, SheetPoint at);
    // A PNG or BMP file pasted at (x, y) and placed at once: one step.
    Result PasteFile(const std::string& path, std::int32_t x, std::int32_t y);
    void SetZeroInPaste(ZeroInPaste zero);
    ZeroInPaste ZeroInPasteMode() const { return m_pixelEdits.zero; }

private:
    // A new sheet and a new history: clean when the sheet is what a file
    // holds, never clean for a sheet that is in no file yet.
    void Install(SheetState sheet, bool clean);
    // Does the step and makes it the newest in the history.
    void Apply(EditKind kind, std::unique_ptr<IUndoStep> step);
    // Makes a change already made in place, and announced as it was made
    // (a stroke drawn as the pointer moves), the newest step; the step holds
    // the state from before the change.
    void Record(EditKind kind, std::unique_ptr<IUndoStep> step);
    // Copies the colours the new picture's file left undefined from the sheet
    // it replaces.
    void KeepUndefinedColors(CSpriteImage& picture, std::int32_t definedColors) const;
    Result CheckSaveTarget(LossySave lossy) const;
    SaveLosses LossesIn(SpriteLayout layout) const;
    // After a save: the sheet as the file now holds it, one step, when that
    // differs from what was there.
    void BecomeWhatWasWritten();
    // Revert and Reload; a reload waits for a whole sheet.
    Result ReadAgain(EditKind kind);
    // The display follows the source, then observers hear of it all.
    void Announce(const SheetChanges& changes);
    void AnnounceEverything();
    // After a command: the unsaved state and the history, when they changed.
    void AnnounceState();
    template <typename Call> void Tell(Call call);
    // Pixel edits: a stroke in progress and a floating block become their
    // steps before any other command.
    void SettlePixels();
    void AnnouncePixels(const SheetRect& area);
    void AnnounceSelection();
    void LiftSelection();
    // Delete and Cut: the selection becomes index 0, or a block goes.
    void EmptySelection(EditKind kind);
    // Draws the floating block where it is now, its previous place given back.
    void StampFloating(const SheetRect& previous);
    bool UsesEntriesAboveRow() const;
    std::uint8_t StoredValue(std::int32_t index, bool entriesAboveRow) const;

    SheetState m_sheet;
    mutable std::unique_ptr<CSpriteImage> m_display;
    mutable bool m_displayStale = true;
    std::int32_t m_paletteRow = 0;
    std::string m_fileName;
    std::string m_sourcePath;
    CUndoHistory m_history;
    bool m_toldModified = false;
    bool m_fileLost = false; // MarkUnsaved: the file holds nothing of the sheet
    std::vector<IDocumentObserver*> m_observers;
    // The file whose trailing block could not be read at Open.
    std::optional<FileIdentity> m_unreadTrailingFile;
    TrailingBlockReader m_readTrailing = [](const char* path, CTrailingBlock& block)
    { return CTrailingBlock::Read(path, block); };
    // A prepared import: the picture, and the same on the sheet's colours.
    std::unique_ptr<CSpriteImage> m_importPicture;
    std::unique_ptr<CSpriteImage> m_importMapped;
    // The colour editor's preview: the entry, the colour it had before, and
    // the picture it was shown in.
    struct ColorPreview
    {
        const CSpriteImage* picture;
        std::int32_t entry;
        ColorEntry before;
    };
    std::optional<ColorPreview> m_preview;
    IProgress* m_progress = nullptr;
    PixelEditState m_pixelEdits;
};
