#include "raster/jpeg_codec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "base/image_limits.h"
#include "base/parallel_parts.h"
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
    JOCTET* profile = nullptr;  // libjpeg's malloc'd copy of the ICC profile
    unsigned int profileBytes = 0;

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
        std::free(profile);
    }
    DecompressSession(const DecompressSession&) = delete;
    DecompressSession& operator=(const DecompressSession&) = delete;

    // Runs under Guarded. `keepProfile` keeps the APP2 markers, which carry the ICC profile.
    void Start(bool keepProfile = false) {
        jpeg_create_decompress(&cinfo);
        created = true;
        cinfo.src = &source.pub;
        if (keepProfile) jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
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

// How a picture is decoded, the same for every band of it.
struct TDecodePlan {
    bool gray = false;
    bool cmyk = false;
    bool inverted = false;  // CMYK stored as Adobe's writers store it
    bool indexed = false;
};

// Full scale, slow integer transform, smooth chroma upsampling, whatever libjpeg's defaults.
TDecodePlan Configure(jpeg_decompress_struct& cinfo, bool quantize) {
    TDecodePlan plan;
    cinfo.scale_num = cinfo.scale_denom = 1;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    plan.cmyk = IsCmyk(cinfo);
    plan.gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    plan.inverted = cinfo.saw_Adobe_marker;
    plan.indexed = quantize && !plan.gray && !plan.cmyk;
    if (plan.gray) {
        cinfo.out_color_space = JCS_GRAYSCALE;
    } else if (plan.cmyk) {
        cinfo.out_color_space = JCS_CMYK;
    } else if (plan.indexed) {
        cinfo.out_color_space = JCS_RGB;
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 256;
        cinfo.two_pass_quantize = TRUE;
        cinfo.dither_mode = JDITHER_FS;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    return plan;
}

// What skipping a row costs (its entropy data is still read) against decoding it, as measured
// on a 24-megapixel photograph at quality 90: later bands skip more rows, so they get fewer.
constexpr double kSkipCost = 0.5;

// The first row of each band and, last, the picture's height. One band where splitting cannot
// give the same picture faster: a palette chosen over the whole picture, progressive data
// (every band would read all of it before its first row), a small picture, a single core.
std::vector<JDIMENSION> BandBounds(const jpeg_decompress_struct& cinfo, const TDecodePlan& plan, int bands) {
    const JDIMENSION height = cinfo.image_height;
    unsigned count = 1;
#if defined(LIBJPEG_TURBO_VERSION)
    if (bands > 0) {
        count = static_cast<unsigned>(bands);
    } else if (!cinfo.progressive_mode) {
        count = static_cast<unsigned>(PartsFor(std::uint64_t{cinfo.image_width} * height, kSmallestSharedPicture));
    }
    if (plan.indexed) count = 1;
#else
    (void)plan;
    (void)bands;
#endif
    // Bands start on whole rows of MCUs, which libjpeg skips without decoding them.
    const JDIMENSION unit = static_cast<JDIMENSION>(cinfo.max_v_samp_factor) * DCTSIZE;
    count = std::clamp<unsigned>(count, 1, std::max<JDIMENSION>(height / unit, 1));
    // Equal work per band: band k costs kSkipCost x its first row + its own rows.
    std::vector<double> ends(count + 1, 0.0);
    for (unsigned k = 0; k < count; ++k) ends[k + 1] = ends[k] * (1.0 - kSkipCost) + 1.0;
    std::vector<JDIMENSION> bounds(count + 1, height);
    bounds[0] = 0;
    for (unsigned k = 1; k < count; ++k) {
        const auto row = static_cast<JDIMENSION>(height * ends[k] / ends[count]);
        bounds[k] = std::max(bounds[k - 1] + unit, std::min(row / unit * unit, height - (count - k) * unit));
    }
    return bounds;
}

// Decodes rows [first, end) into their places, skipping the rows before `first`; `toTheEnd`
// reads the rest of the data as well, as the last band must. Runs under Guarded, after
// jpeg_start_decompress.
void DecodeRows(DecompressSession& session, const TDecodePlan& plan, std::span<std::uint8_t* const> rows,
                JDIMENSION first, JDIMENSION end, bool toTheEnd) {
    jpeg_decompress_struct& cinfo = session.cinfo;
    if (plan.cmyk) session.row.resize(std::size_t{cinfo.output_width} * 4);
#if defined(LIBJPEG_TURBO_VERSION)
    if (first > 0) jpeg_skip_scanlines(&cinfo, first);
#endif
    while (cinfo.output_scanline < end) {
        std::uint8_t* const row = rows[cinfo.output_scanline];
        JSAMPROW rowPointer = plan.cmyk ? session.row.data() : row;
        if (jpeg_read_scanlines(&cinfo, &rowPointer, 1) != 1) break;
        if (plan.cmyk) CmykRowToBgr(session.row.data(), static_cast<int>(cinfo.output_width), plan.inverted, row);
    }
    if (toTheEnd) jpeg_finish_decompress(&cinfo);
}

}  // namespace

JpegHeader ReadJpegHeader(std::span<const std::uint8_t> data) {
    DecompressSession session(data);
    Guarded(session.errors, [&] {
        session.Start(true);
        // False, with nothing kept, for a profile whose parts do not add up.
        jpeg_read_icc_profile(&session.cinfo, &session.profile, &session.profileBytes);
    });
    JpegHeader header{static_cast<int>(session.cinfo.image_width), static_cast<int>(session.cinfo.image_height),
                      session.cinfo.num_components, {}};
    if (session.profile != nullptr && session.profileBytes <= kMaxColorProfileBytes)
        header.colorProfile.assign(session.profile, session.profile + session.profileBytes);
    return header;
}

void DecodeJpeg(std::span<const std::uint8_t> data, bool quantize, TBitmap& target, int bands) {
    DecompressSession session(data);
    jpeg_decompress_struct& cinfo = session.cinfo;
    TDecodePlan plan;
    Guarded(session.errors, [&] {
        session.Start();
        plan = Configure(cinfo, quantize);
    });
    CheckedImageBytes(cinfo.image_width, cinfo.image_height, 32);
    const auto width = static_cast<int>(cinfo.image_width), height = static_cast<int>(cinfo.image_height);
    TBitmap decoded;
    decoded.SetPixelFormat(plan.gray || plan.indexed ? pf8bit : pf24bit);
    if (plan.gray) decoded.SetPalette(GrayPalette());
    decoded.SetSize(width, height);
    // Row addresses taken here, once: the bands write their rows from other threads.
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = decoded.ScanLine(y);
    const std::vector<JDIMENSION> bounds = BandBounds(cinfo, plan, bands);

    // Band 0 with the session that read the header, each other band with a session of its own.
    RunParts(bounds.size() - 1, [&](std::size_t band) {
        const bool last = band + 2 == bounds.size();
        if (band == 0) {
            Guarded(session.errors, [&] {
                jpeg_start_decompress(&cinfo);
                if (plan.indexed) {
                    TPalette palette(static_cast<std::size_t>(cinfo.actual_number_of_colors));
                    for (std::size_t i = 0; i < palette.size(); ++i)
                        palette[i] = {cinfo.colormap[0][i], cinfo.colormap[1][i], cinfo.colormap[2][i], 0};
                    decoded.SetPalette(std::move(palette));
                }
                DecodeRows(session, plan, rows, bounds[0], bounds[1], last);
            });
            return;
        }
        DecompressSession bandSession(data);
        Guarded(bandSession.errors, [&] {
            bandSession.Start();
            Configure(bandSession.cinfo, quantize);
            jpeg_start_decompress(&bandSession.cinfo);
            DecodeRows(bandSession, plan, rows, bounds[band], bounds[band + 1], last);
        });
    });
    target.Assign(std::move(decoded));
}

void DecodeJpegScaled(std::span<const std::uint8_t> data, int longestSide, TBitmap& target) {
    DecompressSession session(data);
    jpeg_decompress_struct& cinfo = session.cinfo;
    TDecodePlan plan;
    Guarded(session.errors, [&] {
        session.Start();
        plan = Configure(cinfo, false);
    });
    // Progressive data keeps every coefficient of the full picture in memory, whatever the scale.
    CheckedImageBytes(cinfo.image_width, cinfo.image_height, 32);
    Guarded(session.errors, [&] {
        // Asking libjpeg what each scale gives: a build that lacks a scale answers with a larger one.
        for (unsigned eighths = 1; eighths <= 8; ++eighths) {
            cinfo.scale_num = eighths;
            cinfo.scale_denom = 8;
            jpeg_calc_output_dimensions(&cinfo);
            if (std::max(cinfo.output_width, cinfo.output_height) >= static_cast<JDIMENSION>(std::max(longestSide, 1)))
                break;
        }
    });
    const auto width = static_cast<int>(cinfo.output_width), height = static_cast<int>(cinfo.output_height);
    TBitmap decoded;
    decoded.SetPixelFormat(pf24bit);
    decoded.SetSize(width, height);
    if (plan.cmyk) session.row.resize(std::size_t{cinfo.output_width} * 4);
    if (plan.gray) session.row.resize(std::size_t{cinfo.output_width});
    Guarded(session.errors, [&] {
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            std::uint8_t* const row = decoded.ScanLine(static_cast<int>(cinfo.output_scanline));
            JSAMPROW rowPointer = plan.cmyk || plan.gray ? session.row.data() : row;
            if (jpeg_read_scanlines(&cinfo, &rowPointer, 1) != 1) break;
            if (plan.cmyk) CmykRowToBgr(session.row.data(), width, plan.inverted, row);
            if (plan.gray)
                for (int x = 0; x < width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = session.row[std::size_t(x)];
        }
        jpeg_finish_decompress(&cinfo);
    });
    target.Assign(std::move(decoded));
}

void VerifyJpegData(std::span<const std::uint8_t> data) {
    DecompressSession session(data);
    jpeg_decompress_struct& cinfo = session.cinfo;
    Guarded(session.errors, [&] { session.Start(); });
    CheckedImageBytes(cinfo.image_width, cinfo.image_height, 32);
    Guarded(session.errors, [&] {
        // Every coefficient is still read; only the reconstruction is small and rough.
        cinfo.scale_num = 1;
        cinfo.scale_denom = 8;
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
        jpeg_start_decompress(&cinfo);
        session.row.resize(std::size_t{cinfo.output_width} * static_cast<std::size_t>(cinfo.output_components));
        JSAMPROW row = session.row.data();
        while (cinfo.output_scanline < cinfo.output_height)
            if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
        jpeg_finish_decompress(&cinfo);
    });
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
