// The sections of a portable show, found after the launcher's program image: a damaged line
// counts as no section, and never gets in the way of the catalogue that follows.
#include "player/portable_sections.h"

#include <gtest/gtest.h>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "player/catalogue.h"
#include "portable/portable_files.h"

namespace pellumo {
namespace {

// The launcher as built, then the given bytes, then a show of one slide.
std::vector<std::uint8_t> PortableShow(const std::string& sections, const std::string& music = {}) {
    TFileStream launcher(PELLUMO_LAUNCHER, fmOpenRead);
    TMemoryStream show;
    show.CopyFrom(launcher, 0);
    show.WriteBuffer(sections.data(), sections.size());
    if (!music.empty()) WriteCarriedMusic(show, "musique.wav", AsBytes(music));
    TCatalogue header;
    header.MusicFileName = "musique.wav";
    TCatalogueWriter writer(show, header);
    writer.AddSlide(TSlideEntry{}, AsBytes("jpeg"));
    writer.Finish();
    show.SetPosition(0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(show.Size()));
    show.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

const std::string kRuntime = "PELLUMO-RUNTIME 1 0123456789abcdef0123456789abcdef 7 10240\npayload";

TEST(PortableSections, ADamagedLineCountsAsNoSection) {
    for (const std::string& runtime : {
             std::string("PELLUMO-RUNTIME 2 0123456789abcdef 7 10\npayload"),  // another version
             std::string("PELLUMO-RUNTIME 1 0123456789ABCDEF 7 10\npayload"),  // not our key's digits
             std::string("PELLUMO-RUNTIME 1 0123456789abcdef 99999999 10\npayload"),  // past the end
             std::string("PELLUMO-RUNTIME 1 0123456789abcdef -7 10\npayload"),
             std::string("PELLUMO-RUNTIME 1 0123456789abcdef 7\npayload"),
             std::string("PELLUMO-RUNTIME 1 0123456789abcdef 7 10 payload"),  // no end of line
         }) {
        TMemoryStream show(PortableShow(runtime));
        EXPECT_FALSE(ReadPortableSections(show)) << runtime;
        EXPECT_EQ(ReadCatalogue(show).Slides.size(), 1u);
    }
    TMemoryStream withMusic(PortableShow(kRuntime, "RIFF music"));
    EXPECT_EQ(ReadPortableSections(withMusic)->music->name, "musique.wav");
    TMemoryStream badName(PortableShow(kRuntime + "PELLUMO-MUSIC 1 0123456789abcdef 1 2\n..x"));
    EXPECT_FALSE(ReadPortableSections(badName)->music);
    TMemoryStream plain(PortableShow(""));
    EXPECT_FALSE(ReadPortableSections(plain));
    TMemoryStream music;
    EXPECT_THROW(WriteCarriedMusic(music, "../musique.wav", AsBytes("x")), EConvertError);
}

}  // namespace
}  // namespace pellumo
