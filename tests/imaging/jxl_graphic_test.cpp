#include "imaging/formats/jxl_graphic.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include "base/byte_order.h"
#include "base/exceptions.h"
#include "imaging/codec_tools.h"
#include "imaging/file_bytes.h"

namespace pellumo {
namespace {

using test::FileContents;
using test::Gradient;
using test::LargestDifference;
using test::LoadInto;
using test::RunTool;
using TBytes = std::vector<std::uint8_t>;

const std::string kReadError = "Stream read error in JPEG XL file.";
const std::string kInvalid = "Cannot load image. Invalid or unexpected JPEG XL image format.";
const std::string kDisplayP3 = "RGB_D65_DCI_Rel_SRG";
const std::string kSRGB = "RGB_D65_SRG_Rel_SRG";

void PutBE32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// The codestream with its first `oldCount` header bits (after the two signature bytes)
// replaced by `count` bits of the value, packed least significant first as JPEG XL packs them.
TBytes WithHeaderBits(const TBytes& codestream, std::size_t oldCount, std::uint64_t value, std::size_t count) {
    std::vector<bool> bits;
    for (std::size_t i = 0; i < count; ++i) bits.push_back(((value >> i) & 1) != 0);
    for (std::size_t i = 16 + oldCount; i < codestream.size() * 8; ++i)
        bits.push_back(((codestream[i / 8] >> (i % 8)) & 1) != 0);
    TBytes result(2 + (bits.size() + 7) / 8, 0);
    std::copy_n(codestream.begin(), 2, result.begin());
    for (std::size_t i = 0; i < bits.size(); ++i) result[2 + i / 8] |= static_cast<std::uint8_t>(bits[i] << (i % 8));
    return result;
}

// cjxl writes the files, djxl the references (and the profile of the pixels it decoded).
class JXLGraphic : public test::ToolFolder {
protected:
    void SetUp() override {
        for (const char* tool : {"cjxl", "djxl"})
            if (!test::HasTool(tool))
                GTEST_SKIP() << tool << " is missing (package libjxl-tools; scripts/install-deps)";
        ToolFolder::SetUp();
    }

    std::string Encode(const std::string& source, const std::string& name, const std::vector<std::string>& options) {
        std::vector<std::string> args{source, File(name + ".jxl")};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_TRUE(RunTool("cjxl", args)) << name;
        return File(name + ".jxl");
    }
    std::string EncodePicture(const TBitmap& picture, const std::string& name,
                              const std::vector<std::string>& options) {
        test::SavePng(picture, File(name + ".png"));
        return Encode(File(name + ".png"), name, options);
    }

    // djxl's decode of the file, with the profile of its pixels when `profile` is given.
    TBitmap Reference(const std::string& file, const std::vector<std::string>& options = {},
                      TBytes* profile = nullptr) {
        std::vector<std::string> args{file, File("reference.png"), "--icc_out=" + File("reference.icc")};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_TRUE(RunTool("djxl", args)) << file;
        if (profile != nullptr) *profile = FileContents(File("reference.icc"));
        return test::LoadPng(File("reference.png"));
    }

    // A 64 x 48 gray ramp as a PGM file.
    std::string GrayPicture() {
        test::TFileBytes pgm;
        pgm.Text("P5\n64 48\n255\n");
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) pgm.U8(static_cast<std::uint32_t>((x * 3 + y * 2) % 256));
        TMemoryStream(pgm.Data()).SaveToFile(File("gray.pgm"));
        return File("gray.pgm");
    }
};

TEST_F(JXLGraphic, LosslessAndLossyPicturesMatchTheLibrarysDecoderWithTheirAlphaAndGray) {
    for (const bool lossless : {true, false}) {
        for (const int kind : {0, 1, 2}) {  // colour, colour with alpha, gray
            SCOPED_TRACE(std::string(lossless ? "lossless " : "lossy ") + std::to_string(kind));
            const std::vector<std::string> distance{"-d", lossless ? "0" : "1"};
            const TBitmap source = kind == 2 ? TBitmap() : Gradient(kind == 1);
            const std::string file =
                kind == 2 ? Encode(GrayPicture(), "gray", distance) : EncodePicture(source, "picture", distance);
            TJXLGraphic jxl;
            jxl.LoadFromFile(file);
            EXPECT_EQ(jxl.PixelFormat(), kind == 0 ? pf24bit : kind == 1 ? pf32bit : pf8bit);
            EXPECT_LE(LargestDifference(jxl, Reference(file)), 1);
            if (lossless && kind != 2) {
                EXPECT_EQ(LargestDifference(jxl, source), 0);
            }
            // sRGB, which a picture without a profile is taken to be.
            EXPECT_TRUE(jxl.ColorProfile().empty());
        }
    }
}

// djxl writes gray with alpha as a PNG our reader takes as gray alone: the source is the reference.
TEST_F(JXLGraphic, GrayWithAlphaKeepsItsAlphaItsGrayInAllThreeColours) {
    test::TFileBytes pam;
    pam.Text("P7\nWIDTH 64\nHEIGHT 48\nDEPTH 2\nMAXVAL 255\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n");
    TBitmap expected;
    expected.SetPixelFormat(pf32bit);
    expected.SetSize(64, 48);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const auto gray = static_cast<std::uint8_t>((x * 3 + y * 2) % 256);
            const auto alpha = static_cast<std::uint8_t>(40 + x * 3);
            pam.U8(gray).U8(alpha);
            std::uint8_t* pixel = expected.ScanLine(y) + x * 4;
            pixel[0] = pixel[1] = pixel[2] = gray;
            pixel[3] = alpha;
        }
    }
    TMemoryStream(pam.Data()).SaveToFile(File("gray-alpha.pam"));
    TJXLGraphic jxl;
    jxl.LoadFromFile(Encode(File("gray-alpha.pam"), "gray-alpha", {"-d", "0"}));
    EXPECT_EQ(LargestDifference(jxl, expected), 0);
}

TEST_F(JXLGraphic, TheProfileIsThatOfTheDecodedPixelsNotAlwaysTheFilesOwn) {
    TJXLGraphic jxl;
    TBytes reference;
    // Display P3 named by the file's encoding: lossless and lossy pixels alike come out in it,
    // with libjxl's profile for it, as djxl gives them.
    for (const char* distance : {"0", "1"}) {
        SCOPED_TRACE(distance);
        const std::string file =
            EncodePicture(Gradient(false), "p3", {"-d", distance, "-x", "color_space=" + kDisplayP3});
        jxl.LoadFromFile(file);
        EXPECT_LE(LargestDifference(jxl, Reference(file, {}, &reference)), 1);
        EXPECT_FALSE(reference.empty());
        EXPECT_EQ(jxl.ColorProfile(), reference);
    }

    // A profile no encoding can name (its red curve differs from the others) stays a profile.
    // Lossless pixels are in it and keep it, byte for byte; lossy ones are asked of libjxl in
    // sRGB, as it would give linear light otherwise, and have no profile then.
    TBytes odd = reference;
    const std::size_t curve = odd.size();
    odd.insert(odd.end(), {'c', 'u', 'r', 'v', 0, 0, 0, 0, 0, 0, 0, 1, 0x01, 0xCD, 0, 0});  // gamma 1.8
    for (std::size_t tag = 0; tag < GetBE32(&odd[128]); ++tag) {
        std::uint8_t* entry = &odd[132 + 12 * tag];
        if (std::string(entry, entry + 4) == "rTRC") {
            PutBE32(entry + 4, static_cast<std::uint32_t>(curve));
            PutBE32(entry + 8, 14);
        }
    }
    PutBE32(odd.data(), static_cast<std::uint32_t>(odd.size()));
    TMemoryStream(odd).SaveToFile(File("odd.icc"));
    const std::string profileHint = "icc_pathname=" + File("odd.icc");
    const std::string lossless = EncodePicture(Gradient(false), "odd", {"-d", "0", "-x", profileHint});
    jxl.LoadFromFile(lossless);
    EXPECT_EQ(jxl.ColorProfile(), odd);
    EXPECT_EQ(LargestDifference(jxl, Gradient(false)), 0);
    const std::string lossy = EncodePicture(Gradient(false), "odd", {"-d", "1", "-x", profileHint});
    jxl.LoadFromFile(lossy);
    EXPECT_TRUE(jxl.ColorProfile().empty());
    EXPECT_LE(LargestDifference(jxl, Reference(lossy, {"--color_space=" + kSRGB})), 1);
}

TEST_F(JXLGraphic, AnAnimationGivesItsFirstFrame) {
    const std::string gif = PELLUMO_CORPUS "/gif/giflib/fire.gif";
    if (!test::fs::exists(gif)) GTEST_SKIP() << "the image corpus is missing: " << gif;
    const std::string file = Encode(gif, "fire", {});
    TJXLGraphic jxl;
    jxl.LoadFromFile(file);
    ASSERT_EQ(jxl.Width(), 30);
    EXPECT_LE(LargestDifference(jxl, Reference(file)), 1);  // djxl's PNG shows the first frame
}

TEST_F(JXLGraphic, AnOrientationIsAppliedSwappingTheSides) {
    // cjxl takes the orientation from the PNG's Exif chunk: 6, a quarter turn clockwise.
    const TBitmap source = Gradient(false);
    test::SavePng(source, File("upright.png"));
    TBytes png = FileContents(File("upright.png"));
    test::TFileBytes exif;
    exif.Text("eXIf").Text("MM").BE16(42).BE32(8).BE16(1).BE16(0x0112).BE16(3).BE32(1).BE16(6).BE16(0).BE32(0);
    test::TFileBytes chunk;
    chunk.BE32(static_cast<std::uint32_t>(exif.Size() - 4)).Bytes(exif.Data());
    chunk.BE32(static_cast<std::uint32_t>(crc32(0, exif.Data().data(), static_cast<uInt>(exif.Size()))));
    png.insert(png.begin() + 33, chunk.Data().begin(), chunk.Data().end());  // after the signature and IHDR
    TMemoryStream(png).SaveToFile(File("turned.png"));
    const std::string file = Encode(File("turned.png"), "turned", {"-d", "0"});

    TJXLGraphic jxl;
    jxl.LoadFromFile(file);
    ASSERT_EQ(jxl.Width(), 48);
    ASSERT_EQ(jxl.Height(), 64);
    EXPECT_LE(LargestDifference(jxl, Reference(file)), 1);
    int wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 48; ++x)  // the top row is the source's left column, read upwards
            wrong += std::equal(jxl.ScanLine(y) + x * 3, jxl.ScanLine(y) + x * 3 + 3, source.ScanLine(47 - x) + y * 3)
                         ? 0
                         : 1;
    EXPECT_EQ(wrong, 0);
}

TEST_F(JXLGraphic, CutShortDamagedOrForeignFilesFailNamingTheFormat) {
    TJXLGraphic jxl;
    for (const char* container : {"0", "1"}) {
        SCOPED_TRACE(container);
        const TBytes file =
            FileContents(EncodePicture(Gradient(true), "cut", {"-d", "1", "--container=" + std::string(container)}));
        for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{10}, file.size() / 2,
                                       file.size() - 1}) {
            EXPECT_EQ(LoadInto(jxl, TBytes(file.begin(), file.begin() + static_cast<long>(size))), kReadError) << size;
            EXPECT_TRUE(jxl.Empty());
        }
    }
    const TBytes file = FileContents(EncodePicture(Gradient(false), "damaged", {"-d", "1"}));
    TBytes damaged = file;
    for (std::size_t i = 20; i < damaged.size(); ++i) damaged[i] = static_cast<std::uint8_t>(i * 37);
    for (const TBytes& bytes : {damaged, TBytes{'G', 'I', 'F', '8', '9', 'a'}})
        EXPECT_EQ(LoadInto(jxl, bytes), kInvalid);
}

TEST_F(JXLGraphic, APictureBeyondTheSizeLimitIsRefusedFromItsHeader) {
    const TBytes file = FileContents(EncodePicture(Gradient(false), "small", {"-d", "0"}));
    // As cjxl writes 64 x 48: a height in eighths (5 bits) and the 4:3 ratio (3 bits).
    ASSERT_EQ(file[2] & 1, 1);
    // 20000 x 20000: an 18-bit height and the 1:1 ratio.
    TMemoryStream stream(WithHeaderBits(file, 9, 2 << 1 | 19999 << 3 | 1 << 21, 24));
    TJXLGraphic jxl;
    EXPECT_THROW(jxl.LoadFromStream(stream), EConvertError);
}

}  // namespace
}  // namespace pellumo
