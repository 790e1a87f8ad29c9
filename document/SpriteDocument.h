// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "document/DocumentFiles.h"
#include "document/ImportMatch.h"
#include "document/SaveLosses.h"
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
class CSpriteImage;

// What became of Open, beyond its Result.
struct OpenOutcome
{
    Result result;
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
// Whether a read again takes a file shorter than its layout's sheet, as Open
// does, or waits for the rest: a file changed outside may be half written.
enum class SheetReadRule
{
    AsOpen,
    WholeSheet,
};

// Whether the document keeps a display image beside the source. A program
// that shows nothing (the converter) holds each picture once.
enum class DisplayImage
{
    Kept,
    None, // Display() is null; Width and Height are the source's
};

// What to do when the sheet's file has changed on disk.
enum class OutsideChange
{
    Reload, // nothing would be lost
    Ask,    // the sheet has changes no Save has written
};

// The sheet being worked on and every rule of the commands on it: the source
// image as opened or imported, the display image (a copy whose first 16
// colours are the chosen palette row), the trailing block of an SPR file,
// the layout a Save writes, the name it writes to, and whether there are
// changes no Save has written. Front ends ask, then tell the user: nothing
// here shows a message. Every command but Open does nothing without a sheet.
class CSpriteDocument
{
public:
    explicit CSpriteDocument(DisplayImage display = DisplayImage::Kept);
    ~CSpriteDocument();
    CSpriteDocument(const CSpriteDocument&) = delete;
    CSpriteDocument& operator=(const CSpriteDocument&) = delete;

    // Forgets everything, the file name included, before anything is read,
    // so a failed Open leaves no sheet. The layout is the format table's
    // (document/DocumentFiles.h); a file whose content is a picture or a
    // palette is refused. An SPR file's trailing block that cannot be read is a
    // failure with the sheet open all the same, without the block.
    OpenOutcome Open(const std::string& path, TrailingBlockUse trailing = TrailingBlockUse::Read);
    // A picture in place of the sheet (a BMP or PNG, as the format table
    // tells); the file name, the layout and the
    // trailing block stay, so a Save writes it as the file opened last.
    // Colour entries the picture's file does not define keep the colours of
    // the sheet it replaces, as the trailing block is kept.
    Result Import(const std::string& path);
    // Writes the sheet to the file name in the layout it has;
    // Message::NoFileName without a name (the front end asks for one and
    // runs SaveAs). A picture the layout cannot hold exactly is refused
    // unless the loss was accepted. A file whose trailing block could not be
    // read at Open is never replaced: its block would be lost.
    Result Save(CReplaceBatch* batch = nullptr, LossySave lossy = LossySave::Refuse);
    // Takes the name and the layout of its extension (as Open reads it),
    // even when the save then fails, and saves.
    Result SaveAs(const std::string& path, CReplaceBatch* batch = nullptr,
                  LossySave lossy = LossySave::Refuse);
    // The same in a layout chosen otherwise, for a converter told the format.
    Result SaveAsLayout(const std::string& path, SpriteLayout layout,
                        CReplaceBatch* batch = nullptr, LossySave lossy = LossySave::Refuse);
    // What Save, or Save As to path, would change in the picture.
    SaveLosses LossesOfSave() const;
    SaveLosses LossesOfSaveAs(const std::string& path) const;
    // The source image with its whole colour table, whatever row is shown,
    // in the picture format of the name (PictureFormatForName).
    Result Export(const std::string& path, CReplaceBatch* batch = nullptr) const;
    // What the display shows for a palette row: colours 16 * row to
    // 16 * row + 15 in entries 0 to 15 (a PNG of 16 colours for ".png").
    Result ExportPaletteRow(const std::string& path, std::int32_t row,
                            CReplaceBatch* batch = nullptr) const;
    void ChoosePaletteRow(std::int32_t row);
    // Forgets everything, as a closing window does.
    void Clear();

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
    // sheet has changes to save.
    Result LoadPalette(const std::string& path);
    // The same from an explicit first entry.
    Result LoadPaletteAt(const std::string& path, std::int32_t first);
    Result ReplaceColors(const std::vector<ColorEntry>& colors, std::int32_t first);
    // Save Palette: one row's 16 colours or the whole table.
    Result SavePalette(const std::string& path, PaletteFormat format,
                       std::optional<std::int32_t> row, CReplaceBatch* batch = nullptr) const;
    // The sheet on the table's colours (onto one row of it, with a row),
    // exactly, or a failure naming the first colour and pixel that do not
    // match; the sheet stays as it was then.
    Result MapOntoColors(const CColorTable& table, std::optional<std::int32_t> row);

    // A sheet that starts from a picture rather than an opened file: no
    // name, the given layout and trailing block, and changes to save. The
    // converter's picture input.
    Result ImportAsNew(const std::string& path, SpriteLayout layout, CTrailingBlock trailing);
    // The layout and trailing block a save writes, for a converter whose
    // output layout is not that of its input.
    void SetTrailingBlock(CTrailingBlock trailing) { m_trailing = std::move(trailing); }

    bool HasSheet() const { return m_source != nullptr; }
    const CSpriteImage* Source() const { return m_source.get(); }
    const CSpriteImage* Display() const { return m_display.get(); }
    std::int32_t PaletteRow() const { return m_paletteRow; }
    std::int32_t Width() const;
    std::int32_t Height() const;
    SpriteLayout Layout() const { return m_layout; }
    const std::string& FileName() const { return m_fileName; }
    // The file the sheet was last read from or saved to, which Open keeps
    // though its FileName is empty; empty for a sheet from a picture.
    const std::string& SourcePath() const { return m_sourcePath; }
    const CTrailingBlock& TrailingBlock() const { return m_trailing; }
    bool IsModified() const { return m_modified; }

    // How Open reads trailing blocks: CTrailingBlock::Read unless a test
    // needs a failure or a smaller limit for keeping a block by reference.
    void SetTrailingBlockReader(TrailingBlockReader reader) { m_readTrailing = reader; }
    // The desktop's round trips (document/SpriteDocumentRoundTrip.cpp).
    // A file chosen in Open, named on the command line or dropped: a BMP or
    // PNG picture (as the format table tells) becomes a new unnamed SPR
    // sheet, anything else opens as Open does.
    OpenOutcome OpenPath(const std::string& path);
    static bool IsPicturePath(const std::string& path);
    // Reads SourcePath again in the sheet's layout, keeping the palette
    // row. On failure the sheet stays as it was, changes and all.
    Result Revert(SheetReadRule rule = SheetReadRule::AsOpen);
    OutsideChange DecideOutsideChange() const;
    // The sheet as an indexed PNG with its whole table, for an image editor.
    Result WriteForEditing(const std::string& path) const;
    // The edited PNG back in place of the sheet's pixels, mapped exactly onto
    // the sheet's colour table; the table, name, layout and trailing block
    // stay. A colour that does not map changes nothing. Pixels that are what
    // the sheet holds already are no change.
    Result BringBackEdited(const std::string& path);

private:
    void Install(std::unique_ptr<CSpriteImage> source);
    // Copies the colours the new picture's file left undefined from the sheet
    // it replaces.
    void KeepUndefinedColors(CSpriteImage& picture, std::int32_t definedColors) const;
    Result CheckSaveTarget(LossySave lossy) const;
    // The display again from the source, in the row shown.
    void RefreshDisplay();

    std::unique_ptr<CSpriteImage> m_source;
    std::unique_ptr<CSpriteImage> m_display;
    DisplayImage m_displayUse = DisplayImage::Kept;
    std::int32_t m_paletteRow = 0;
    CTrailingBlock m_trailing;
    SpriteLayout m_layout = SpriteLayout::Spr;
    std::string m_fileName;
    std::string m_sourcePath;
    bool m_modified = false;
    // The file whose trailing block could not be read at Open.
    std::optional<FileIdentity> m_unreadTrailingFile;
    TrailingBlockReader m_readTrailing = [](const char* path, CTrailingBlock& block)
    { return CTrailingBlock::Read(path, block); };
    // A prepared import: the picture, and the same on the sheet's colours.
    std::unique_ptr<CSpriteImage> m_importPicture;
    std::unique_ptr<CSpriteImage> m_importMapped;
};
