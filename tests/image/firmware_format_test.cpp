// The firmware formats judged by outside tools: generated C is compiled by gcc and g++ into a
// program that prints the array; X11 bitmaps and portable bitmaps are read by ImageMagick and
// netpbm; bitmaps ImageMagick writes and arrays written by hand are read back.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/layout_reference.h"
#include "image/picture/byte_layout.h"
#include "image/picture/decode_bmp.h"
#include "image/picture/export_output.h"
#include "image/picture/panel_picture.h"
#include "image/picture/pbm_format.h"
#include "image/picture/picture_formats.h"
#include "image/picture/source_reader.h"
#include "image/picture/source_writer.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        do {
            m_path = fs::temp_directory_path() / ("vornix-formats-" + std::to_string(random()));
        } while (!fs::create_directory(m_path));
    }
    ~TempFolder() { fs::remove_all(m_path); }
    fs::path operator/(const std::string& name) const { return m_path / name; }

private:
    fs::path m_path;
};

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a shell command; its standard output, or nullopt when it fails.
std::optional<std::string> RunShell(const std::string& command) {
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string out;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, got);
    }
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

// The judges are Linux programs, out of reach of a Windows test program: there the Windows
// command line's files are compared with the Linux one's instead (tests/windows).
bool Have(const std::string& tool) {
#ifdef _WIN32
    (void)tool;
    return false;
#else
    return RunShell("command -v " + tool).has_value();
#endif
}

// The raster of a binary portable bitmap, after its header: rows, high bit first, set = dark.
Bytes P4Raster(const std::string& pbm, int& width, int& height) {
    std::istringstream in(pbm);
    std::string magic;
    in >> magic >> width >> height;
    in.get();
    EXPECT_EQ(magic, "P4");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string SourceText(const PackedPicture& picture, const SourceOptions& options) {
    StringSink sink;
    EXPECT_TRUE(WriteCSource(picture, options, sink));
    return sink.take();
}

struct SourceCase {
    std::string name;
    SourceOptions options;
};
void PrintTo(const SourceCase& row, std::ostream* out) {
    *out << row.name;
}

SourceOptions With(ByteLayout layout, InkBit ink, Literal literal, int perLine, bool draw,
                   std::string placement = "", bool isStatic = true, bool isConst = true) {
    SourceOptions options;
    options.name = "pic";
    options.layout = {layout, ink};
    options.literal = literal;
    options.valuesPerLine = perLine;
    options.drawPixels = draw;
    options.placement = std::move(placement);
    options.isStatic = isStatic;
    options.isConst = isConst;
    return options;
}

const SourceCase kSourceCases[] = {
    {"RowsMsbHex", With(ByteLayout::RowsHighBitFirst, InkBit::Dark, Literal::Hex, 16, false)},
    {"RowsMsbDrawn", With(ByteLayout::RowsHighBitFirst, InkBit::Dark, Literal::Hex, 1, true)},
    {"RowsLsbBinaryLight",
     With(ByteLayout::RowsLowBitFirst, InkBit::Light, Literal::Binary, 3, true)},
    {"PagesLsbProgmem",
     With(ByteLayout::PagesLowBitTop, InkBit::Dark, Literal::Hex, 8, true, "PROGMEM")},
    {"PagesMsbSection", With(ByteLayout::PagesHighBitTop, InkBit::Light, Literal::Binary, 5, false,
                             "__attribute__((section(\".rodata.lcd\")))")},
    {"ColumnsPlain",
     With(ByteLayout::Columns, InkBit::Dark, Literal::Hex, 7, false, "", false, false)},
};

class SourceWriterTest : public ::testing::TestWithParam<SourceCase> {};

// gcc and g++ compile the array into a program that prints it; the printed bytes are the
// layout placed pixel by pixel, and reading the source back gives the picture.
TEST_P(SourceWriterTest, CompilesIntoTheLayoutsBytesAndReadsBack) {
    if (!Have("gcc") || !Have("g++")) {
        GTEST_SKIP() << "gcc and g++ are needed to judge the C source";
    }
    const SourceOptions& options = GetParam().options;
    std::mt19937 random(99);
    for (const auto& [width, height] : {std::pair{13, 11}, std::pair{8, 1}, std::pair{1, 17}}) {
        const PackedPicture picture = test::RandomPicture(width, height, random);
        const std::string text = SourceText(picture, options);
        TempFolder folder;
        WriteFile(folder / "pic.h", text);
        WriteFile(folder / "main.c",
                  "#include <stdio.h>\n"
                  "#define PROGMEM\n"
                  "#include \"pic.h\"\n"
                  "int main(void) {\n"
                  "    for (unsigned i = 0; i < sizeof pic; ++i) printf(\"%02X\", pic[i]);\n"
                  "    printf(\" %d %d\\n\", PIC_WIDTH, PIC_HEIGHT);\n"
                  "    return 0;\n"
                  "}\n");
        std::string expected;
        for (const std::uint8_t byte : test::ReferenceBytes(picture, options.layout)) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", byte);
            expected += hex;
        }
        expected += " " + std::to_string(width) + " " + std::to_string(height) + "\n";
        const std::string dir = (folder / "").string();
        for (const std::string_view compiler : {"gcc -std=c11 -x c", "g++ -std=c++17 -x c++"}) {
            ASSERT_TRUE(RunShell(std::string(compiler) + " -Wall -Wextra -Werror " + dir +
                                 "main.c -o " + dir + "print"))
                << compiler << " refused:\n"
                << text;
            EXPECT_EQ(RunShell(dir + "print"), expected) << compiler << "\n" << text;
        }
        const SourcePicture back = ReadSourcePicture(text, 0, 0, options.layout);
        EXPECT_EQ(back.error, SourceReadError::None) << text;
        EXPECT_EQ(back.picture, picture) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Options, SourceWriterTest, ::testing::ValuesIn(kSourceCases),
                         vornix::test::RowName);

// A batch in one header: every picture's array and a table of them, compiled and walked by a
// program that prints each entry.
TEST(SourceWriterTest, WritesAHeaderOfManyPicturesWithATable) {
    if (!Have("gcc")) {
        GTEST_SKIP() << "gcc is needed to judge the C source";
    }
    std::mt19937 random(5);
    const std::vector<NamedPicture> pictures = {{"clock", test::RandomPicture(9, 3, random)},
                                                {"bell", test::RandomPicture(16, 1, random)},
                                                {"_7seg", test::RandomPicture(3, 9, random)}};
    SourceOptions options =
        With(ByteLayout::PagesLowBitTop, InkBit::Dark, Literal::Hex, 8, false, "PROGMEM");
    options.name = "icons";
    StringSink sink;
    ASSERT_TRUE(WriteCSourceSet(pictures, options, sink));
    TempFolder folder;
    WriteFile(folder / "icons.h", sink.text());
    WriteFile(folder / "main.c",
              "#include <stdio.h>\n"
              "#define PROGMEM\n"
              "#include \"icons.h\"\n"
              "#include \"icons.h\"\n" // the include guard holds
              "int main(void) {\n"
              "    for (int i = 0; i < ICONS_COUNT; ++i) {\n"
              "        const icons_picture* p = &icons[i];\n"
              "        unsigned n = p->width * ((p->height + 7u) / 8u);\n"
              "        printf(\"%u %u \", p->width, p->height);\n"
              "        for (unsigned k = 0; k < n; ++k) printf(\"%02X\", p->bits[k]);\n"
              "        printf(\"\\n\");\n"
              "    }\n"
              "    return 0;\n"
              "}\n");
    std::string expected;
    for (const NamedPicture& entry : pictures) {
        expected += std::to_string(entry.picture.width()) + " " +
                    std::to_string(entry.picture.height()) + " ";
        for (const std::uint8_t byte : test::ReferenceBytes(entry.picture, options.layout)) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", byte);
            expected += hex;
        }
        expected += "\n";
    }
    const std::string dir = (folder / "").string();
    ASSERT_TRUE(
        RunShell("gcc -std=c11 -Wall -Wextra -Werror " + dir + "main.c -o " + dir + "print"))
        << sink.text();
    EXPECT_EQ(RunShell(dir + "print"), expected) << sink.text();

    // Names that would clash are refused before anything is written.
    StringSink refused;
    const std::vector<NamedPicture> clashing = {{"clock", PackedPicture(1, 1)},
                                                {"CLOCK", PackedPicture(1, 1)}};
    EXPECT_FALSE(WriteCSourceSet(clashing, options, refused));
    const std::vector<NamedPicture> tableName = {{"icons", PackedPicture(1, 1)}};
    EXPECT_FALSE(WriteCSourceSet(tableName, options, refused));
    EXPECT_TRUE(refused.text().empty());
}

TEST(SourceWriterTest, SaysWhenAPageLayoutPadsRowsAndRefusesBadOptions) {
    const PackedPicture picture(4, 10);
    SourceOptions options;
    options.layout = {ByteLayout::PagesLowBitTop, InkBit::Dark};
    EXPECT_NE(SourceText(picture, options).find("filled up with 6 rows of clear bits"),
              std::string::npos);
    StringSink sink;
    for (const std::string_view name : {"", "2x", "int", "a-b"}) {
        options.name = name;
        EXPECT_FALSE(WriteCSource(picture, options, sink)) << name;
    }
    options.name = "ok";
    options.valuesPerLine = 0;
    EXPECT_FALSE(WriteCSource(picture, options, sink));
    options.valuesPerLine = 4;
    options.placement = "PROGMEM\n#include <evil>";
    EXPECT_FALSE(WriteCSource(picture, options, sink));
    EXPECT_TRUE(sink.text().empty());
}

TEST(SourceWriterTest, MakesIdentifiersFromFileNames) {
    const std::pair<std::string, std::string> rows[] = {{"icons/my clock-1.bmp", "my_clock_1"},
                                                        {"7seg.png", "_7seg"},
                                                        {"int.pxl", "int_"},
                                                        {".hidden", "_hidden"},
                                                        {"", "picture"},
                                                        {"a.b.c", "a_b"}};
    for (const auto& [file, name] : rows) {
        EXPECT_EQ(IdentifierFrom(file), name) << file;
        EXPECT_TRUE(IsIdentifier(IdentifierFrom(file))) << file;
    }
}

// The value under each offset the preview names: "0x3F", "0b00111111", PXL's "03Fh" and a
// hex dump's "3F".
unsigned ValueAt(const std::string& text, std::size_t at) {
    const std::string rest = text.substr(at, 12);
    if (rest.rfind("0b", 0) == 0) {
        return static_cast<unsigned>(std::stoul(rest.substr(2, 8), nullptr, 2));
    }
    if (rest.rfind("0x", 0) == 0) {
        return static_cast<unsigned>(std::stoul(rest.substr(2, 2), nullptr, 16));
    }
    return static_cast<unsigned>(
        std::stoul(rest.substr(rest.size() > 3 && rest[3] == 'h' ? 1 : 0, 2), nullptr, 16));
}

struct ExportCase {
    std::string name;
    PictureFormat format;
    LayoutChoice layout;
    Literal literal;
    bool draw;
};
void PrintTo(const ExportCase& row, std::ostream* out) {
    *out << row.name;
}

const ExportCase kExportCases[] = {
    {"CRowsDrawn", PictureFormat::CSource, {ByteLayout::RowsHighBitFirst}, Literal::Hex, true},
    {"CPagesBinary", PictureFormat::CSource, {ByteLayout::PagesLowBitTop}, Literal::Binary, true},
    {"CColumnsLight",
     PictureFormat::CSource,
     {ByteLayout::Columns, InkBit::Light},
     Literal::Hex,
     false},
    {"Xbm", PictureFormat::Xbm, {}, Literal::Hex, false},
    {"Pxl", PictureFormat::Pxl, {}, Literal::Hex, false},
    {"Pbm", PictureFormat::Pbm, {}, Literal::Hex, false},
    {"RawPagesMsb", PictureFormat::Raw, {ByteLayout::PagesHighBitTop}, Literal::Hex, false},
};

class ExportPreviewTest : public ::testing::TestWithParam<ExportCase> {};

// Every byte of the output is found in the preview at the offset given for it, so a value
// clicked in the text lights the right pixels.
TEST_P(ExportPreviewTest, NamesWhereEachByteStands) {
    const ExportCase& row = GetParam();
    std::mt19937 random(3);
    const PackedPicture picture = test::RandomPicture(24, 11, random);
    ExportChoice choice;
    choice.format = row.format;
    choice.source.name = "pic";
    choice.source.layout = row.layout;
    choice.source.literal = row.literal;
    choice.source.drawPixels = row.draw;
    choice.source.valuesPerLine = 5;
    const std::string output = ExportOutput(picture, choice);
    ASSERT_FALSE(output.empty());
    const Bytes bytes = test::ReferenceBytes(picture, ExportLayout(choice));
    const ExportPreview whole = PreviewOf(output, row.format, 100000);
    EXPECT_FALSE(whole.truncated);
    ASSERT_EQ(whole.valueStarts.size(), bytes.size()) << whole.text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(ValueAt(whole.text, whole.valueStarts[i]), bytes[i]) << i << "\n" << whole.text;
    }
    const ExportPreview first = PreviewOf(output, row.format, 2);
    EXPECT_TRUE(first.truncated);
    EXPECT_EQ(std::count(first.text.begin(), first.text.end(), '\n'), 2);
    EXPECT_EQ(whole.text.substr(0, first.text.size()), first.text);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportPreviewTest, ::testing::ValuesIn(kExportCases),
                         vornix::test::RowName);

// The one list of formats: names and endings lead to one entry each, in any case.
TEST(PictureFormatsTest, NamesAndEndingsLeadToTheirEntry) {
    const std::pair<std::string, PictureFormat> endings[] = {
        {"a.pxl", PictureFormat::Pxl},   {"A.BMP", PictureFormat::Bitmap},
        {"x.c", PictureFormat::CSource}, {"icons.H", PictureFormat::CSource},
        {"x.xbm", PictureFormat::Xbm},   {"x.pbm", PictureFormat::Pbm},
        {"x.Bin", PictureFormat::Raw}};
    for (const auto& [name, format] : endings) {
        const FormatEntry* entry = FormatOfFileName(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->format, format) << name;
        EXPECT_EQ(FormatNamed(entry->name), entry) << name;
    }
    for (const std::string_view name : {"x.png", "x", "pxl", "x.bmp.gz", ".c.txt"}) {
        EXPECT_EQ(FormatOfFileName(name), nullptr) << name;
    }
    for (const FirmwarePreset& preset : FirmwarePresets()) {
        EXPECT_EQ(FirmwarePresetNamed(preset.name), &preset);
        EXPECT_FALSE(preset.fits.empty());
    }
    EXPECT_EQ(FirmwarePresetNamed("pages")->layout.layout, ByteLayout::PagesLowBitTop);
    EXPECT_EQ(FirmwarePresetNamed("nonesuch"), nullptr);
}

// Every format of the table gives back what it was given, in every layout it takes and with
// set = dark and light, over pictures of every width from 1 to 17, 240 and 8192 and every
// height from 1 to 17 and 128.
class TableRoundTripTest : public ::testing::TestWithParam<PictureFormat> {};

TEST_P(TableRoundTripTest, WriteThenReadGivesThePictureBack) {
    const FormatEntry& entry = FormatEntryOf(GetParam());
    ASSERT_TRUE(entry.canRead() && entry.canWrite());
    std::vector<LayoutChoice> choices = {{}};
    if (entry.takesLayout) {
        choices.clear();
        for (const ByteLayout layout :
             {ByteLayout::RowsHighBitFirst, ByteLayout::RowsLowBitFirst, ByteLayout::PagesLowBitTop,
              ByteLayout::PagesHighBitTop, ByteLayout::Columns}) {
            choices.push_back({layout, InkBit::Dark});
            choices.push_back({layout, InkBit::Light});
        }
    }
    std::vector<int> widths;
    std::vector<int> heights;
    for (int side = 1; side <= 17; ++side) {
        widths.push_back(side);
        heights.push_back(side);
    }
    widths.insert(widths.end(), {240, 8192});
    heights.push_back(128);
    std::mt19937 random(11);
    for (const int width : widths) {
        for (const int height : heights) {
            const PackedPicture picture = test::RandomPicture(width, height, random);
            for (const LayoutChoice& choice : choices) {
                SourceOptions options;
                options.name = "pic";
                options.layout = choice;
                StringSink written;
                ASSERT_TRUE(entry.write(picture, options, written)) << width << " x " << height;
                ReadOptions read;
                read.layout = choice;
                if (entry.format == PictureFormat::Raw) {
                    read.width = width;
                    read.height = height;
                }
                const std::string& bytes = written.text();
                const PanelPictureRead back = entry.read(
                    {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, read);
                ASSERT_EQ(back.failure, "") << width << " x " << height;
                ASSERT_EQ(back.picture, picture)
                    << width << " x " << height << " " << ByteLayoutName(choice.layout);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TableRoundTripTest,
                         ::testing::Values(PictureFormat::Pxl, PictureFormat::Bitmap,
                                           PictureFormat::CSource, PictureFormat::Xbm,
                                           PictureFormat::Pbm, PictureFormat::Raw),
                         [](const auto& info) {
                             return std::string(FormatEntryOf(info.param).name);
                         });

// A bitmap is read straight from its rows once the conversion has found it sound; the
// pixels are those of its PXL text, for every bitmap in the test data and for short files
// whose rows the conversion reads as zeros.
TEST(PanelPictureTest, ABitmapGivesThePixelsOfItsPxlText) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(VORNIX_TEST_DATA "/good")) {
        if (entry.path().extension() == ".bmp") {
            files.push_back(ReadFile(entry.path()));
        }
    }
    ASSERT_GE(files.size(), 3U);
    std::string shortFile = files.front().substr(0, 64); // rows cut off
    files.push_back(shortFile);
    for (const std::string& file : files) {
        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
        StringSink text;
        const DecodeResult converted = ConvertBitmapToPxl(bytes, text);
        const PanelPictureRead direct = PictureFromBitmap(bytes);
        if (!converted.converted()) {
            EXPECT_FALSE(direct.picture.has_value());
            continue;
        }
        const PanelPictureRead viaText = PictureFromPxl(text.text());
        ASSERT_TRUE(viaText.picture.has_value()) << viaText.failure;
        EXPECT_EQ(direct.picture, viaText.picture) << text.text();
    }
}

// ImageMagick and netpbm read the X11 bitmap and the portable bitmap as the same pixels.
TEST(BitmapFormatsTest, OutsideToolsReadWhatIsWritten) {
    if (!Have("convert") || !Have("xbmtopbm") || !Have("pamtopnm")) {
        GTEST_SKIP() << "ImageMagick and netpbm are needed to judge the bitmaps";
    }
    std::mt19937 random(7);
    for (const auto& [width, height] : {std::pair{13, 11}, std::pair{16, 3}, std::pair{1, 1}}) {
        const PackedPicture picture = test::RandomPicture(width, height, random);
        TempFolder folder;
        StringSink xbm;
        ASSERT_TRUE(WriteXbm(picture, "pic", xbm));
        WriteFile(folder / "pic.xbm", xbm.text());
        StringSink pbm;
        ASSERT_TRUE(WritePbm(picture, pbm));
        WriteFile(folder / "pic.pbm", pbm.text());
        const std::string dir = (folder / "").string();
        for (const std::string& command :
             {"convert " + dir + "pic.xbm pbm:-", "xbmtopbm " + dir + "pic.xbm",
              "convert " + dir + "pic.pbm pbm:-"}) {
            const std::optional<std::string> out = RunShell(command);
            ASSERT_TRUE(out) << command;
            int w = 0;
            int h = 0;
            const Bytes raster = P4Raster(*out, w, h);
            EXPECT_EQ(w, width) << command;
            EXPECT_EQ(h, height) << command;
            EXPECT_EQ(raster, picture.bytes()) << command;
        }
        // netpbm's plain form: "P1", the sides, then a '1' for every dark pixel.
        const std::optional<std::string> plainText = RunShell("pamtopnm -plain " + dir + "pic.pbm");
        ASSERT_TRUE(plainText);
        std::istringstream in(*plainText);
        std::string magic;
        int w = 0;
        int h = 0;
        in >> magic >> w >> h;
        ASSERT_EQ(magic, "P1");
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                char pixel = 0;
                in >> pixel;
                EXPECT_EQ(pixel == '1', picture.isDark(x, y)) << x << "," << y;
            }
        }
        // Read back: our own bitmaps, ImageMagick's X11 bitmap and its plain portable bitmap.
        EXPECT_EQ(ReadXbm(xbm.text()).picture, picture);
        EXPECT_EQ(
            ReadPbm({reinterpret_cast<const std::uint8_t*>(pbm.text().data()), pbm.text().size()})
                .picture,
            picture);
        ASSERT_TRUE(RunShell("convert " + dir + "pic.pbm " + dir + "magick.xbm"));
        const SourcePicture magick = ReadXbm(ReadFile(folder / "magick.xbm"));
        EXPECT_EQ(magick.error, SourceReadError::None);
        EXPECT_EQ(magick.picture, picture) << ReadFile(folder / "magick.xbm");
        const std::optional<std::string> plain =
            RunShell("convert " + dir + "pic.pbm -compress none pbm:-");
        ASSERT_TRUE(plain);
        EXPECT_EQ(
            ReadPbm({reinterpret_cast<const std::uint8_t*>(plain->data()), plain->size()}).picture,
            picture)
            << *plain;
    }
}

// Arrays as people write them by hand, each holding the same 10 x 2 picture: row 0 is
// 0xA5 0x40, row 1 is 0x01 0x80 (rows, high bit first).
struct HandCase {
    std::string name;
    std::string text;
    int width; // 0: from the text
    int height;
};
void PrintTo(const HandCase& row, std::ostream* out) {
    *out << row.name;
}

const HandCase kHandCases[] = {
    {"HexWithDefines",
     "#define LOGO_WIDTH 10\n#define LOGO_HEIGHT 2\nconst unsigned char logo[] = {0xA5, 0x40, "
     "0x01, 0x80};\n",
     0, 0},
    {"DecimalWithCastsAndComments",
     "// logo, drawn by hand\nconst uint8_t logo[4] PROGMEM = {\n  (uint8_t)165, /* row 0 */ "
     "(uint8_t) 64,\n  // row 1\n  1, 128,\n};\n",
     10, 2},
    {"OctalAndBinarySplitOverLines",
     "static const char a[] =\n{\n0245,\n0b01000000\n,\n01, 0B10000000u};", 10, 0},
    {"SizeFromAComment", "/* 10 x 2 pixels */\nunsigned char x[]={0XA5,0x40,0x01,0x80};", 0, 0},
    {"NestedBracesAndNamedConstants",
     "int other[3];\nconst int pic_width = 10, pic_height = 2;\nconst unsigned char "
     "pic[2][2] = {{0xa5, 0x40}, {0x01, 0x80}};",
     0, 0},
    {"OwnNameWinsOverAnother",
     "#define ICON_WIDTH 99\n#define LOGO_WIDTH 10\n#define LOGO_HEIGHT 2\n"
     "const unsigned char logo[] = {0xA5, 0x40, 0x01, 0x80};\n",
     0, 0},
    {"StringsAndCharsSkipped",
     "const char* s = \"= { 1 }\"; char c = '{';\nunsigned char p[] = {0xA5, 0x40, 0x01, "
     "0x80};",
     10, 2},
};

class HandWrittenSourceTest : public ::testing::TestWithParam<HandCase> {};

TEST_P(HandWrittenSourceTest, ReadsThePicture) {
    const HandCase& row = GetParam();
    PackedPicture expected(10, 2);
    const Bytes rows = {0xA5, 0x40, 0x01, 0x80};
    for (int y = 0; y < 2; ++y) {
        std::copy_n(rows.begin() + 2 * y, 2, expected.row(y).begin());
    }
    const SourcePicture read =
        ReadSourcePicture(row.text, row.width, row.height, {ByteLayout::RowsHighBitFirst});
    EXPECT_EQ(read.error, SourceReadError::None) << describe(read.error);
    EXPECT_EQ(read.picture, expected);
}

INSTANTIATE_TEST_SUITE_P(Styles, HandWrittenSourceTest, ::testing::ValuesIn(kHandCases),
                         vornix::test::RowName);

struct BadSourceCase {
    std::string name;
    std::string text;
    int width;
    int height;
    SourceReadError error;
};
void PrintTo(const BadSourceCase& row, std::ostream* out) {
    *out << row.name;
}

const BadSourceCase kBadSources[] = {
    {"NoArray", "int main(void) { return 0; }", 8, 1, SourceReadError::NoArray},
    {"Unclosed", "unsigned char a[] = {1, 2,", 8, 1, SourceReadError::Unterminated},
    {"UnclosedComment", "unsigned char a[] = {1 /* 2, 3}", 8, 1, SourceReadError::Unterminated},
    {"AboveAByte", "unsigned char a[] = {1, 256};", 8, 2, SourceReadError::NotAByte},
    {"Negative", "signed char a[] = {-1};", 8, 1, SourceReadError::NotAByte},
    {"NotANumber", "unsigned char a[] = {0x, 1};", 8, 2, SourceReadError::BadValue},
    {"Identifier", "unsigned char a[] = {ONE, 1};", 8, 2, SourceReadError::BadValue},
    {"TwoValuesWithoutComma", "unsigned char a[] = {1 2};", 8, 2, SourceReadError::BadValue},
    {"HugeLiteral", "unsigned char a[] = {0xFFFFFFFFFFFFFFFFFFFFFFFF};", 8, 1,
     SourceReadError::NotAByte},
    {"NoSize", "unsigned char a[] = {1, 2};", 0, 0, SourceReadError::NoSize},
    {"TooFewValues", "unsigned char a[] = {1, 2, 3};", 16, 2, SourceReadError::CountMismatch},
    {"TooLarge", "unsigned char a[] = {1};", 1 << 14, 1 << 14, SourceReadError::TooLarge},
};

class BadSourceTest : public ::testing::TestWithParam<BadSourceCase> {};

TEST_P(BadSourceTest, IsRefusedWithItsReason) {
    const BadSourceCase& row = GetParam();
    const SourcePicture read =
        ReadSourcePicture(row.text, row.width, row.height, {ByteLayout::RowsHighBitFirst});
    EXPECT_EQ(read.error, row.error) << describe(read.error);
    EXPECT_FALSE(read.picture.has_value());
}

INSTANTIATE_TEST_SUITE_P(Refusals, BadSourceTest, ::testing::ValuesIn(kBadSources),
                         vornix::test::RowName);

struct BadPbmCase {
    std::string name;
    std::string bytes;
    PbmReadError error;
};
void PrintTo(const BadPbmCase& row, std::ostream* out) {
    *out << row.name;
}

const BadPbmCase kBadPbms[] = {
    {"NotPbm", "P5\n1 1\n255\n\x80", PbmReadError::NotPbm},
    {"NoHeight", "P4\n8\n", PbmReadError::BadHeader},
    {"ZeroWidth", "P4 0 1\n", PbmReadError::BadHeader},
    {"HugeSides", "P4 100000 100000\n\x80", PbmReadError::BadHeader},
    {"ShortRaster", "P4\n# a comment\n16 2\n\x01\x02\x03", PbmReadError::ShortData},
    {"PlainShort", "P1 3 2 1 0 1 0", PbmReadError::ShortData},
    {"PlainBadPixel", "P1 2 1 1 2", PbmReadError::BadPixel},
};

class BadPbmTest : public ::testing::TestWithParam<BadPbmCase> {};

TEST_P(BadPbmTest, IsRefusedWithItsReason) {
    const BadPbmCase& row = GetParam();
    const PbmRead read =
        ReadPbm({reinterpret_cast<const std::uint8_t*>(row.bytes.data()), row.bytes.size()});
    EXPECT_EQ(read.error, row.error) << describe(read.error);
    EXPECT_FALSE(read.picture.has_value());
}

INSTANTIATE_TEST_SUITE_P(Refusals, BadPbmTest, ::testing::ValuesIn(kBadPbms),
                         vornix::test::RowName);

} // namespace
} // namespace vornix::image
