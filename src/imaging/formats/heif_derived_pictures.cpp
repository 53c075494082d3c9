#include "imaging/formats/heif_derived_pictures.h"

#include <algorithm>
#include <map>
#include <optional>

namespace pellumo {
namespace {

constexpr std::uint32_t FourCC(const char (&name)[5]) {
    return std::uint32_t{static_cast<std::uint8_t>(name[0])} << 24 |
           std::uint32_t{static_cast<std::uint8_t>(name[1])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(name[2])} << 8 | std::uint32_t{static_cast<std::uint8_t>(name[3])};
}
constexpr std::uint32_t kGrid = FourCC("grid"), kOverlay = FourCC("iovl"), kIdentity = FourCC("iden");
// The most of an item's data the canvas size needs: an overlay's version, flags, fill colour and
// two 32-bit sides.
constexpr std::size_t kCanvasDataBytes = 18;

// Big-endian fields of a box's payload. A read past its end gives 0 and the cursor fails for
// good, so a box cut short is noticed once, where a loop checks.
class TFields {
public:
    explicit TFields(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool Ok() const { return ok_; }
    std::span<const std::uint8_t> Rest() const { return bytes_.subspan(at_); }

    // A field of 0 to 8 bytes.
    std::uint64_t Read(std::uint64_t size) {
        if (!Skip(size)) return 0;
        std::uint64_t value = 0;
        for (std::size_t i = at_ - size; i < at_; ++i) value = value << 8 | bytes_[i];
        return value;
    }
    bool Skip(std::uint64_t count) {
        if (!ok_ || bytes_.size() - at_ < count) {
            ok_ = false;
            at_ = bytes_.size();
            return false;
        }
        at_ += static_cast<std::size_t>(count);
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

struct TBox {
    std::uint32_t Type;
    std::span<const std::uint8_t> Payload;
};

// The boxes one after another, up to the first whose size does not fit in what holds it.
std::vector<TBox> Boxes(std::span<const std::uint8_t> bytes) {
    std::vector<TBox> boxes;
    TFields fields(bytes);
    while (fields.Rest().size() >= 8) {
        const std::span<const std::uint8_t> rest = fields.Rest();
        std::uint64_t size = fields.Read(4), header = 8;
        const auto type = static_cast<std::uint32_t>(fields.Read(4));
        if (size == 1) size = fields.Read(8), header = 16;  // a 64-bit size follows
        else if (size == 0) size = rest.size();              // up to the end of what holds it
        if (!fields.Ok() || size < header || size > rest.size()) break;
        boxes.push_back({type, rest.subspan(header, size - header)});
        fields.Skip(size - header);
    }
    return boxes;
}

std::span<const std::uint8_t> FirstPayload(const std::vector<TBox>& boxes, std::uint32_t type) {
    const auto box = std::ranges::find(boxes, type, &TBox::Type);
    return box == boxes.end() ? std::span<const std::uint8_t>{} : box->Payload;
}

// The payload of a full box without its version and flags; the version apart.
std::pair<std::uint64_t, std::span<const std::uint8_t>> FullBox(std::span<const std::uint8_t> payload) {
    if (payload.size() < 4) return {0, {}};
    return {payload[0], payload.subspan(4)};
}

// What the information entries say of one item ID (a file may give an ID several entries).
struct TItem {
    std::vector<std::uint32_t> canvasKinds;  // grid, overlay or both
    bool derived = false;                    // a grid, overlay or identity by some entry
    bool picture = true;                     // a picture libheif decodes by every entry
};
using TItems = std::map<std::uint64_t, TItem>;

TItems Items(std::span<const std::uint8_t> itemInfo) {
    const auto [version, entries] = FullBox(itemInfo);
    TItems items;
    const std::size_t countBytes = version == 0 ? 2 : 4;
    if (entries.size() < countBytes) return items;
    for (const TBox& box : Boxes(entries.subspan(countBytes))) {
        if (box.Type != FourCC("infe")) continue;
        const auto [entryVersion, payload] = FullBox(box.Payload);
        TFields fields(payload);
        const std::uint64_t id = fields.Read(entryVersion <= 2 ? 2 : 4);
        fields.Skip(2);  // protection index
        const auto type = entryVersion >= 2 ? static_cast<std::uint32_t>(fields.Read(4)) : 0;  // older: none
        if (!fields.Ok()) continue;
        TItem& item = items[id];
        const bool canvas = type == kGrid || type == kOverlay;
        if (canvas && std::ranges::find(item.canvasKinds, type) == item.canvasKinds.end())
            item.canvasKinds.push_back(type);
        const bool derived = canvas || type == kIdentity;
        item.derived = item.derived || derived;
        item.picture = item.picture && (derived || type == FourCC("hvc1") || type == FourCC("av01"));
    }
    return items;
}

// Whether a grid, overlay or identity is made (`dimg`) from an item that is not a picture.
// libheif reads the references one after another whatever sizes their headers give, and so
// does this.
bool MadeFromNonPicture(std::span<const std::uint8_t> references, const TItems& items) {
    const auto [version, payload] = FullBox(references);
    const std::uint64_t idSize = version == 0 ? 2 : 4;
    TFields fields(payload);
    while (!fields.Rest().empty() && fields.Ok()) {
        const std::uint64_t size = fields.Read(4);
        const auto type = static_cast<std::uint32_t>(fields.Read(4));
        if (size == 1) fields.Skip(8);  // a 64-bit size
        if (type == FourCC("uuid")) fields.Skip(16);
        const auto from = items.find(fields.Read(idSize));
        const std::uint64_t count = fields.Read(2);
        const bool checked = type == FourCC("dimg") && from != items.end() && from->second.derived;
        for (std::uint64_t i = 0; i < count && fields.Ok(); ++i) {
            const auto to = items.find(fields.Read(idSize));
            if (checked && fields.Ok() && (to == items.end() || !to->second.picture)) return true;
        }
    }
    return false;
}

// Appends what one extent holds, up to the bytes the canvas needs.
void AppendExtent(std::vector<std::uint8_t>& data, std::span<const std::uint8_t> source, std::uint64_t base,
                  std::uint64_t offset, std::uint64_t length) {
    if (base > source.size() || offset > source.size() - base) return;
    const std::uint64_t start = base + offset;
    const std::uint64_t take = std::min({length, source.size() - start, std::uint64_t{kCanvasDataBytes - data.size()}});
    data.insert(data.end(), source.begin() + static_cast<std::ptrdiff_t>(start),
                source.begin() + static_cast<std::ptrdiff_t>(start + take));
}

std::optional<THeifCanvasSize> CanvasOf(std::uint32_t type, std::span<const std::uint8_t> data) {
    TFields fields(data);
    fields.Skip(1);  // version
    const std::uint64_t side = (fields.Read(1) & 1) != 0 ? 4 : 2;
    fields.Skip(type == kGrid ? 2 : 8);  // rows and columns, or the fill colour
    const auto width = static_cast<std::uint32_t>(fields.Read(side));
    const auto height = static_cast<std::uint32_t>(fields.Read(side));
    if (!fields.Ok()) return std::nullopt;
    return THeifCanvasSize{width, height};
}

// The canvases of the derived items among the entries of an item location box. Version 1
// entries are read with their extents' index fields or without them, as `withIndexInVersion1`
// says: the format has them, some libheif versions read them only from version 2.
void AddCanvases(std::vector<THeifCanvasSize>& canvases, const TItems& items,
                 std::span<const std::uint8_t> locations, std::uint64_t version, bool withIndexInVersion1,
                 std::span<const std::uint8_t> file, std::span<const std::uint8_t> itemData) {
    TFields fields(locations);
    // Field sizes other than 4 and 8 bytes leave their fields out, as libheif reads them.
    const auto fieldSize = [](std::uint64_t size) -> std::uint64_t { return size == 4 || size == 8 ? size : 0; };
    const std::uint64_t sizes = fields.Read(1), moreSizes = fields.Read(1);
    const std::uint64_t offsetSize = fieldSize(sizes >> 4), lengthSize = fieldSize(sizes & 15);
    const std::uint64_t baseSize = fieldSize(moreSizes >> 4);
    const std::uint64_t indexSize = version >= (withIndexInVersion1 ? 1 : 2) ? fieldSize(moreSizes & 15) : 0;
    const std::uint64_t idSize = version < 2 ? 2 : 4, extentBytes = indexSize + offsetSize + lengthSize;
    const std::uint64_t count = fields.Read(idSize);
    // Every entry takes at least six bytes, so a count the box cannot hold ends with its bytes.
    for (std::uint64_t entry = 0; entry < count && fields.Ok(); ++entry) {
        const std::uint64_t id = fields.Read(idSize);
        const std::uint64_t method = version >= 1 ? fields.Read(2) & 15 : 0;  // 0: in the file, 1: in `idat`
        fields.Skip(2);                                                      // data reference
        const std::uint64_t base = fields.Read(baseSize), extents = fields.Read(2);
        const auto item = items.find(id);
        std::uint64_t extent = 0;
        // Without a length field every extent is empty. With one, each extent read takes bytes of
        // the box, so the extents read are bounded by its size.
        if (item != items.end() && !item->second.canvasKinds.empty() && method <= 1 && lengthSize > 0) {
            const std::span<const std::uint8_t> source = method == 0 ? file : itemData;
            std::vector<std::uint8_t> data;
            for (; extent < extents && data.size() < kCanvasDataBytes && fields.Ok(); ++extent) {
                fields.Skip(indexSize);
                const std::uint64_t offset = fields.Read(offsetSize), length = fields.Read(lengthSize);
                if (fields.Ok()) AppendExtent(data, source, base, offset, length);
            }
            for (const std::uint32_t type : item->second.canvasKinds)
                if (const auto canvas = CanvasOf(type, data)) canvases.push_back(*canvas);
        }
        fields.Skip((extents - extent) * extentBytes);
    }
}

}  // namespace

THeifDerivedPictures ReadHeifDerivedPictures(std::span<const std::uint8_t> file) {
    const std::vector<TBox> meta = Boxes(FullBox(FirstPayload(Boxes(file), FourCC("meta"))).second);
    const TItems items = Items(FirstPayload(meta, FourCC("iinf")));
    const auto [version, locations] = FullBox(FirstPayload(meta, FourCC("iloc")));
    const std::span<const std::uint8_t> itemData = FirstPayload(meta, FourCC("idat"));
    THeifDerivedPictures derived;
    AddCanvases(derived.Canvases, items, locations, version, true, file, itemData);
    if (version == 1) AddCanvases(derived.Canvases, items, locations, version, false, file, itemData);
    derived.MadeFromNonPicture = MadeFromNonPicture(FirstPayload(meta, FourCC("iref")), items);
    return derived;
}

}  // namespace pellumo
