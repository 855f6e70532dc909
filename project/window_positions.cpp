#include "project/window_positions.h"

#include "platform/registry_store.h"
#include "project/registry_keys.h"

#include <QByteArray>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cctype>

namespace {

const QString kMainWindowValue = QStringLiteral("WndPos");
const QString kItemPanelValue = QStringLiteral("SetWndPos");
const QString kViewerValue = QStringLiteral("ViewerWndPos");
constexpr int kRectSize = 16;

// The registry store keeps text values, so a binary value is kept as the hexadecimal text of
// its bytes (little-endian, as the structures lie in memory).
class CByteWriter {
public:
    void Put(int32_t value)
    {
        std::array<char, 4> bytes {};
        qToLittleEndian(value, bytes.data());
        m_bytes.append(bytes.data(), bytes.size());
    }
    void Put(uint32_t value) { Put(static_cast<int32_t>(value)); }
    void Put(const tagWINDOW_RECT& rect)
    {
        Put(rect.left);
        Put(rect.top);
        Put(rect.right);
        Put(rect.bottom);
    }
    QString Text() const { return QString::fromLatin1(m_bytes.toHex()); }

private:
    QByteArray m_bytes;
};

class CByteReader {
public:
    explicit CByteReader(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
    }
    void Get(int32_t& value)
    {
        value = qFromLittleEndian<int32_t>(m_bytes.constData() + m_offset);
        m_offset += 4;
    }
    void Get(uint32_t& value)
    {
        int32_t raw = 0;
        Get(raw);
        value = static_cast<uint32_t>(raw);
    }
    void Get(tagWINDOW_RECT& rect)
    {
        Get(rect.left);
        Get(rect.top);
        Get(rect.right);
        Get(rect.bottom);
    }

private:
    QByteArray m_bytes;
    qsizetype m_offset = 0;
};

// The value's bytes when it holds exactly `size` of them.
std::optional<CByteReader> ReadBinary(const platform::CRegistryStore& store, const QString& name, int size)
{
    const auto text = store.ReadString(registry_keys::SettingKey(), name);
    if (!text || text->size() != size * 2)
        return std::nullopt;
    const auto latin = text->toLatin1();
    const bool isHex
        = std::all_of(latin.cbegin(), latin.cend(), [](char c) { return std::isxdigit(uchar(c)); });
    if (!isHex)
        return std::nullopt;
    return CByteReader(QByteArray::fromHex(latin));
}

int64_t DistanceSquared(const QRect& rect, const QRect& screen)
{
    const auto dx = std::max<int64_t>(
        { int64_t(screen.left()) - rect.right(), int64_t(rect.left()) - screen.right(), 0 });
    const auto dy = std::max<int64_t>(
        { int64_t(screen.top()) - rect.bottom(), int64_t(rect.top()) - screen.bottom(), 0 });
    return dx * dx + dy * dy;
}

} // namespace

tagWINDOW_RECT tagWINDOW_RECT::FromQRect(const QRect& rect)
{
    return { rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height() };
}

tagWINDOW_RECT PullOntoScreens(const tagWINDOW_RECT& rect, const std::vector<QRect>& screens)
{
    if (rect.IsEmpty() || screens.empty())
        return rect;
    const auto window = rect.ToQRect();
    const bool visible
        = std::any_of(screens.cbegin(), screens.cend(), [&](const QRect& s) { return s.intersects(window); });
    if (visible)
        return rect;
    const auto nearest
        = std::min_element(screens.cbegin(), screens.cend(), [&](const QRect& a, const QRect& b) {
              return DistanceSquared(window, a) < DistanceSquared(window, b);
          });
    const auto width = std::min(window.width(), nearest->width());
    const auto height = std::min(window.height(), nearest->height());
    const auto left = std::clamp(window.left(), nearest->left(), nearest->left() + nearest->width() - width);
    const auto top = std::clamp(window.top(), nearest->top(), nearest->top() + nearest->height() - height);
    return { left, top, left + width, top + height };
}

std::optional<CWindowPositions> CWindowPositions::Load(
    const platform::CRegistryStore& store, const std::vector<QRect>& screens)
{
    auto mainBytes = ReadBinary(store, kMainWindowValue, tagWINDOW_PLACEMENT::kSize);
    auto panelBytes = ReadBinary(store, kItemPanelValue, kRectSize);
    auto viewerBytes = ReadBinary(store, kViewerValue, kRectSize);
    if (!mainBytes || !panelBytes || !viewerBytes)
        return std::nullopt;

    CWindowPositions positions;
    auto& placement = positions.mainWindow;
    mainBytes->Get(placement.length);
    mainBytes->Get(placement.flags);
    mainBytes->Get(placement.showCmd);
    mainBytes->Get(placement.minX);
    mainBytes->Get(placement.minY);
    mainBytes->Get(placement.maxX);
    mainBytes->Get(placement.maxY);
    mainBytes->Get(placement.normal);
    panelBytes->Get(positions.itemPanel);
    viewerBytes->Get(positions.viewer);

    placement.showCmd = tagWINDOW_PLACEMENT::SW_HIDE;
    placement.normal = PullOntoScreens(placement.normal, screens);
    positions.itemPanel = PullOntoScreens(positions.itemPanel, screens);
    positions.viewer = PullOntoScreens(positions.viewer, screens);
    return positions;
}

bool CWindowPositions::Save(platform::CRegistryStore& store) const
{
    const auto& placement = mainWindow;
    CByteWriter main;
    main.Put(tagWINDOW_PLACEMENT::kSize);
    main.Put(placement.flags);
    const bool minimised = placement.showCmd == tagWINDOW_PLACEMENT::SW_SHOWMINIMIZED;
    main.Put(minimised ? tagWINDOW_PLACEMENT::SW_RESTORE : placement.showCmd);
    main.Put(placement.minX);
    main.Put(placement.minY);
    main.Put(placement.maxX);
    main.Put(placement.maxY);
    main.Put(placement.normal);
    CByteWriter panel;
    panel.Put(itemPanel);
    CByteWriter viewerRect;
    viewerRect.Put(viewer);

    const auto key = registry_keys::SettingKey();
    const bool mainWritten = store.WriteString(key, kMainWindowValue, main.Text());
    const bool panelWritten = store.WriteString(key, kItemPanelValue, panel.Text());
    const bool viewerWritten = store.WriteString(key, kViewerValue, viewerRect.Text());
    return mainWritten && panelWritten && viewerWritten;
}
