#include "video/av_failure.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include "base/format.h"
#include "video/video_messages.h"

namespace pellumo {

void SilenceAvLog() { av_log_set_level(AV_LOG_QUIET); }

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, text, sizeof text) != 0) return "erreur " + std::to_string(code);
    return text;
}

int CheckEncoding(int code, std::string_view step) {
    if (code < 0) throw EVideoError(Format(video_messages::kEncodingFailed, {std::string(step), AvErrorText(code)}));
    return code;
}

}  // namespace pellumo
