// Stock objects and the calls that work on any object: GetObject, DeleteObject, GetObjectType.
#include <array>
#include <climits>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "platform/gdi/dc.h"

namespace gdi {
namespace {

constexpr int kStockCount = DC_PEN + 1;

struct Stock {
    std::array<HGDIOBJ, kStockCount> objects{};
    std::shared_ptr<Bitmap> bitmap;
};

HGDIOBJ StockBrush(COLORREF colour, UINT style = BS_SOLID, bool dcColour = false) {
    auto brush = std::make_shared<Brush>(LOGBRUSH{style, colour, 0});
    brush->dcColour = dcColour;
    return Register(brush, true);
}

HGDIOBJ StockPen(COLORREF colour, int style = PS_SOLID, bool dcColour = false) {
    auto pen = std::make_shared<Pen>(LOGPEN{static_cast<UINT>(style), POINT{1, 0}, colour});
    pen->dcColour = dcColour;
    return Register(pen, true);
}

HGDIOBJ StockFont(const wchar_t* face, LONG height, LONG weight, BYTE pitchAndFamily) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = pitchAndFamily;
    std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return Register(NewFont(lf), true);
}

const Stock& TheStock() {
    static Stock* stock = [] {
        auto* s = new Stock;  // lives as long as the process: stock objects are never freed
        s->objects[WHITE_BRUSH] = StockBrush(RGB(255, 255, 255));
        s->objects[LTGRAY_BRUSH] = StockBrush(RGB(192, 192, 192));
        s->objects[GRAY_BRUSH] = StockBrush(RGB(128, 128, 128));
        s->objects[DKGRAY_BRUSH] = StockBrush(RGB(64, 64, 64));
        s->objects[BLACK_BRUSH] = StockBrush(RGB(0, 0, 0));
        s->objects[NULL_BRUSH] = StockBrush(0, BS_NULL);
        s->objects[WHITE_PEN] = StockPen(RGB(255, 255, 255));
        s->objects[BLACK_PEN] = StockPen(RGB(0, 0, 0));
        s->objects[NULL_PEN] = StockPen(0, PS_NULL);
        HGDIOBJ fixed = StockFont(L"Courier New", -13, FW_NORMAL, FIXED_PITCH | FF_MODERN);
        s->objects[OEM_FIXED_FONT] = fixed;
        s->objects[ANSI_FIXED_FONT] = fixed;
        s->objects[SYSTEM_FIXED_FONT] = fixed;
        HGDIOBJ gui = StockFont(L"MS Shell Dlg", -12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
        s->objects[ANSI_VAR_FONT] = gui;
        s->objects[DEVICE_DEFAULT_FONT] = gui;
        s->objects[DEFAULT_GUI_FONT] = gui;
        s->objects[SYSTEM_FONT] = StockFont(L"System", -16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);
        s->objects[DC_BRUSH] = StockBrush(RGB(255, 255, 255), BS_SOLID, true);
        s->objects[DC_PEN] = StockPen(RGB(0, 0, 0), PS_SOLID, true);
        s->bitmap = NewBitmap(1, 1, false, false, nullptr);
        Register(s->bitmap, true);
        return s;
    }();
    return *stock;
}

}  // namespace

HGDIOBJ StockObject(int index) {
    if (index < 0 || index >= kStockCount) return nullptr;
    return TheStock().objects[static_cast<size_t>(index)];
}

std::shared_ptr<Bitmap> StockBitmap() {
    return TheStock().bitmap;
}

}  // namespace gdi

using namespace gdi;

HGDIOBJ GetStockObject(int i) {
    HGDIOBJ object = StockObject(i);
    if (!object) SetLastErrorInvalidParameter();
    return object;
}

BOOL DeleteObject(HGDIOBJ h) {
    std::shared_ptr<Object> object = Lookup(h);
    if (!object || object->kind() == Kind::Dc) {
        SetLastErrorInvalidHandle();
        return FALSE;
    }
    switch (Unregister(h)) {
        case Removal::Removed:
        case Removal::Stock:
            return TRUE;
        case Removal::InUse:
            SetLastErrorInvalidParameter();
            return FALSE;
        case Removal::NotFound:
            break;
    }
    SetLastErrorInvalidHandle();
    return FALSE;
}

DWORD GetObjectType(HGDIOBJ h) {
    std::shared_ptr<Object> object = Lookup(h);
    if (!object) {
        SetLastErrorInvalidHandle();
        return 0;
    }
    switch (object->kind()) {
        case Kind::Dc:
            return static_cast<Dc*>(object.get())->memory() ? OBJ_MEMDC : OBJ_DC;
        case Kind::Bitmap:
            return OBJ_BITMAP;
        case Kind::Brush:
            return OBJ_BRUSH;
        case Kind::Pen:
            return OBJ_PEN;
        case Kind::Font:
            return OBJ_FONT;
        case Kind::Region:
            return OBJ_REGION;
    }
    return 0;
}

namespace {

template <class T>
int CopyOut(const T& record, int c, LPVOID pv) {
    if (!pv) return static_cast<int>(sizeof(T));
    if (c <= 0) return 0;
    size_t n = std::min(sizeof(T), static_cast<size_t>(c));
    std::memcpy(pv, &record, n);
    return static_cast<int>(n);
}

BITMAP BitmapRecord(const Bitmap& bitmap) {
    BITMAP bm{};
    bm.bmWidth = bitmap.width();
    bm.bmHeight = bitmap.height();
    bm.bmWidthBytes = bitmap.stride();
    bm.bmPlanes = 1;
    bm.bmBitsPixel = 32;
    bm.bmBits = bitmap.dib() ? bitmap.bits() : nullptr;  // only DIB sections show their pixels
    return bm;
}

}  // namespace

int GetObjectW(HGDIOBJ h, int c, LPVOID pv) {
    std::shared_ptr<Object> object = Lookup(h);
    if (!object) {
        SetLastErrorInvalidHandle();
        return 0;
    }
    switch (object->kind()) {
        case Kind::Bitmap: {
            const auto& bitmap = static_cast<const Bitmap&>(*object);
            if (bitmap.dib() && (!pv || c >= static_cast<int>(sizeof(DIBSECTION)))) {
                DIBSECTION ds{};
                ds.dsBm = BitmapRecord(bitmap);
                ds.dsBmih = bitmap.header();
                if (ds.dsBmih.biCompression == BI_BITFIELDS) {
                    ds.dsBitfields[0] = 0x00FF0000;
                    ds.dsBitfields[1] = 0x0000FF00;
                    ds.dsBitfields[2] = 0x000000FF;
                }
                return CopyOut(ds, c, pv);
            }
            if (pv && c < static_cast<int>(sizeof(BITMAP))) {
                SetLastErrorInvalidParameter();
                return 0;
            }
            return CopyOut(BitmapRecord(bitmap), c, pv);
        }
        case Kind::Font:
            return CopyOut(static_cast<const Font&>(*object).log(), c, pv);
        case Kind::Brush:
            return CopyOut(static_cast<const Brush&>(*object).log(), c, pv);
        case Kind::Pen:
            return CopyOut(static_cast<const Pen&>(*object).log(), c, pv);
        case Kind::Region:
        case Kind::Dc:
            break;
    }
    SetLastErrorInvalidParameter();
    return 0;
}

int MulDiv(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0) return -1;
    long long product = static_cast<long long>(nNumber) * nNumerator;
    long long quotient = product / nDenominator;
    long long remainder = product % nDenominator;
    if (2 * (remainder < 0 ? -remainder : remainder) >=
        (nDenominator < 0 ? -static_cast<long long>(nDenominator) : nDenominator))
        quotient += ((product < 0) != (nDenominator < 0)) ? -1 : 1;
    if (quotient > INT_MAX || quotient < INT_MIN) return -1;
    return static_cast<int>(quotient);
}
