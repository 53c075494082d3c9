#include "raster/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "base/image_limits.h"
#include "raster/bitmap.h"
#include "raster/jpeg_image.h"
#include "raster/pixel_rows.h"

// libjpeg reports errors by calling back, and its C frames cannot be unwound by a C++
// exception. So every call into it runs under Guarded: the error callback keeps the message
// and jumps back there, where the exception is raised. Code run under Guarded keeps nothing
// with a destructor alive across a libjpeg call; buffers live in the session objects, which
// are built before the jump point and release libjpeg's state in their destructors.

namespace pellumo {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void ExitWithMessage(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (stray bytes, ...) leave the picture usable; they are not printed.
extern "C" void IgnoreMessage(j_common_ptr) {}

// Entropy data that stops before the picture is complete would come out with invented rows:
// that warning is an error here.
extern "C" void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_HIT_MARKER) (*cinfo->err->error_exit)(cinfo);
}

void InstallErrorManager(ErrorManager& errors, jpeg_common_struct& cinfo) {
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ExitWithMessage;
    errors.pub.output_message = IgnoreMessage;
    errors.pub.emit_message = EmitMessage;
    errors.message[0] = '\0';
}

template <typename Body>
void Guarded(ErrorManager& errors, Body&& body) {
    if (setjmp(errors.jump) != 0) throw EJPEG(errors.message);
    body();
}

// A source over bytes in memory. When the bytes run out inside the one scan of a sequential
// picture it supplies an end marker, so a picture that lacks only that marker still loads
// (and one cut inside the scan fails on the missing data). Anywhere else, and on a second
// request, running out is an error rather than the stock source's invented gray rows: a
// progressive picture cut between two scans would otherwise load blurred without complaint.
struct MemorySource {
    jpeg_source_mgr pub;  // first, as above
    bool endMarkerSupplied = false;
};

extern "C" void InitSource(j_decompress_ptr) {}
extern "C" void TermSource(j_decompress_ptr) {}

extern "C" boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
    const bool inOnlyScan = !cinfo->progressive_mode && cinfo->comps_in_scan == cinfo->num_components;
    if (inOnlyScan && !source->endMarkerSupplied) {
        static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
        source->endMarkerSupplied = true;
        source->pub.next_input_byte = kEndOfImage;
        source->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    cinfo->err->msg_code = JERR_INPUT_EOF;
    (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
    return FALSE;
}

extern "C" void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto& source = cinfo->src;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer) {
        source->next_input_byte += source->bytes_in_buffer;
        source->bytes_in_buffer = 0;
        FillInputBuffer(cinfo);
        return;
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<std::size_t>(count);
}

struct DecompressSession {
    ErrorManager errors{};
    jpeg_decompress_struct cinfo{};
    MemorySource source{};
    bool created = false;
    std::vector<std::uint8_t> row;

    explicit DecompressSession(std::span<const std::uint8_t> data) {
        InstallErrorManager(errors, *reinterpret_cast<jpeg_common_struct*>(&cinfo));
        source.pub.next_input_byte = data.data();
        source.pub.bytes_in_buffer = data.size();
        source.pub.init_source = InitSource;
        source.pub.fill_input_buffer = FillInputBuffer;
        source.pub.skip_input_data = SkipInputData;
        source.pub.resync_to_restart = jpeg_resync_to_restart;
        source.pub.term_source = TermSource;
    }
    ~DecompressSession() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
    DecompressSession(const DecompressSession&) = delete;
    DecompressSession& operator=(const DecompressSession&) = delete;

    // Runs under Guarded.
    void Start() {
        jpeg_create_decompress(&cinfo);
        created = true;
        cinfo.src = &source.pub;
        jpeg_read_header(&cinfo, TRUE);
    }
};

bool IsCmyk(const jpeg_decompress_struct& cinfo) {
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

std::uint8_t MulDiv255(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

// Adobe's writers store CMYK inverted (0 = full ink) and say so with their marker; others
// store plain ink amounts.
void CmykRowToBgr(const std::uint8_t* cmyk, int width, bool inverted, std::uint8_t* bgr) {
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
        const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
        const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        bgr[0] = MulDiv255(y, k);
        bgr[1] = MulDiv255(m, k);
        bgr[2] = MulDiv255(c, k);
    }
}

struct CompressSession {
    ErrorManager errors{};
    jpeg_compress_struct cinfo{};
    bool created = false;
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    std::vector<std::uint8_t> pixels;  // one unpacked source row
    std::vector<std::uint8_t> row;     // the same row as the codec takes it

    CompressSession() { InstallErrorManager(errors, *reinterpret_cast<jpeg_common_struct*>(&cinfo)); }
    ~CompressSession() {
        if (created) jpeg_destroy_compress(&cinfo);
        std::free(output);
    }
    CompressSession(const CompressSession&) = delete;
    CompressSession& operator=(const CompressSession&) = delete;
};

bool HasGrayPalette(const TBitmap& bitmap) {
    if (bitmap.PixelFormat() != pf8bit) return false;
    for (const TPaletteEntry& e : EffectivePalette(bitmap.Palette(), 8))
        if (e.peRed != e.peGreen || e.peGreen != e.peBlue) return false;
    return true;
}

}  // namespace

JpegHeader ReadJpegHeader(std::span<const std::uint8_t> data) {
    DecompressSession session(data);
    Guarded(session.errors, [&] { session.Start(); });
    return {static_cast<int>(session.cinfo.image_width), static_cast<int>(session.cinfo.image_height),
            session.cinfo.num_components};
}

void DecodeJpeg(std::span<const std::uint8_t> data, bool quantize, TBitmap& target) {
    DecompressSession session(data);
    jpeg_decompress_struct& cinfo = session.cinfo;
    TBitmap decoded;
    Guarded(session.errors, [&] {
        session.Start();
        cinfo.scale_num = cinfo.scale_denom = 1;
        cinfo.dct_method = JDCT_ISLOW;
        cinfo.do_fancy_upsampling = TRUE;
        const bool cmyk = IsCmyk(cinfo);
        const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
        const bool inverted = cinfo.saw_Adobe_marker;
        const bool indexed = quantize && !gray && !cmyk;
        if (gray) {
            cinfo.out_color_space = JCS_GRAYSCALE;
        } else if (cmyk) {
            cinfo.out_color_space = JCS_CMYK;
        } else if (indexed) {
            cinfo.out_color_space = JCS_RGB;
            cinfo.quantize_colors = TRUE;
            cinfo.desired_number_of_colors = 256;
            cinfo.two_pass_quantize = TRUE;
            cinfo.dither_mode = JDITHER_FS;
        } else {
            cinfo.out_color_space = JCS_EXT_BGR;
        }
        CheckedImageBytes(cinfo.image_width, cinfo.image_height, 32);
        decoded.SetPixelFormat(gray || indexed ? pf8bit : pf24bit);
        if (gray) decoded.SetPalette(GrayPalette());
        decoded.SetSize(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
        if (cmyk) session.row.resize(std::size_t{cinfo.image_width} * 4);

        jpeg_start_decompress(&cinfo);
        if (indexed) {
            TPalette palette(static_cast<std::size_t>(cinfo.actual_number_of_colors));
            for (std::size_t i = 0; i < palette.size(); ++i)
                palette[i] = {cinfo.colormap[0][i], cinfo.colormap[1][i], cinfo.colormap[2][i], 0};
            decoded.SetPalette(std::move(palette));
        }
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y = static_cast<int>(cinfo.output_scanline);
            JSAMPROW rowPointer = cmyk ? session.row.data() : decoded.ScanLine(y);
            if (jpeg_read_scanlines(&cinfo, &rowPointer, 1) != 1) break;
            if (cmyk) CmykRowToBgr(session.row.data(), decoded.Width(), inverted, decoded.ScanLine(y));
        }
        jpeg_finish_decompress(&cinfo);
    });
    target.Assign(std::move(decoded));
}

std::vector<std::uint8_t> EncodeJpeg(const TBitmap& source, int quality) {
    CompressSession session;
    jpeg_compress_struct& cinfo = session.cinfo;
    const bool gray = HasGrayPalette(source);
    const int width = source.Width();
    session.pixels.resize(std::size_t(width) * 4);
    session.row.resize(std::size_t(width) * (gray ? 1 : 3));
    Guarded(session.errors, [&] {
        jpeg_create_compress(&cinfo);
        session.created = true;
        jpeg_mem_dest(&cinfo, &session.output, &session.outputSize);
        cinfo.image_width = static_cast<JDIMENSION>(width);
        cinfo.image_height = static_cast<JDIMENSION>(source.Height());
        cinfo.input_components = gray ? 1 : 3;
        cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        cinfo.dct_method = JDCT_ISLOW;
        cinfo.optimize_coding = TRUE;
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            const int y = static_cast<int>(cinfo.next_scanline);
            UnpackRow(source.ScanLine(y), source.PixelFormat(), source.Palette(), width, session.pixels.data());
            const std::size_t channels = gray ? 1 : 3;
            for (int x = 0; x < width; ++x)
                for (std::size_t c = 0; c < channels; ++c)
                    session.row[std::size_t(x) * channels + c] = session.pixels[std::size_t(x) * 4 + c];
            JSAMPROW rowPointer = session.row.data();
            jpeg_write_scanlines(&cinfo, &rowPointer, 1);
        }
        jpeg_finish_compress(&cinfo);
    });
    return {session.output, session.output + session.outputSize};
}

}  // namespace pellumo
