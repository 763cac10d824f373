#include "RpQtMeasure.h"

#include "RpText.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

namespace report {

// A font with its metrics, and the advances of the characters without
// shaping as they are asked for.
struct TrpQtMeasurer::Metrics {
    explicit Metrics(const QFont& made) : font(made), metrics(font)
    {
        const QFontMetrics whole(font);
        ascent = whole.ascent();
        height = whole.height();
        advances.fill(-1);
    }

    static constexpr char32_t kCached = 0x500;  // Latin, Greek and Cyrillic

    QFont font;
    QFontMetricsF metrics;
    int ascent = 0;  // whole pixels, as QFontMetrics gives them
    int height = 0;
    std::array<qreal, kCached> advances;
    // The font resolved for the resolutions of paint devices.
    std::map<int, QFont> deviceFonts;
};

namespace {

using Key = std::tuple<std::string, int, bool, bool, bool, bool>;

// Fonts go with the application: their engines belong to it.
std::map<Key, std::shared_ptr<TrpQtMeasurer::Metrics>>& Cache()
{
    static std::map<Key, std::shared_ptr<TrpQtMeasurer::Metrics>> cache;
    static const bool cleared = [] {
        if (QCoreApplication::instance() != nullptr)
            qAddPostRoutine([] { Cache().clear(); });
        return true;
    }();
    (void)cleared;
    return cache;
}

// Every report names a handful of fonts; a cache that grows beyond this
// was fed odd sizes and starts again.
constexpr std::size_t kMaxFonts = 512;

std::shared_ptr<TrpQtMeasurer::Metrics> MetricsOf(const TrpFont& font, int pixelHeight)
{
    pixelHeight = std::max(1, pixelHeight);
    const Key key{font.Name, pixelHeight, font.Style.bold, font.Style.italic, font.Style.underline,
                  font.Style.strikeOut};
    auto& cache = Cache();
    if (const auto it = cache.find(key); it != cache.end())
        return it->second;
    if (cache.size() >= kMaxFonts)
        cache.clear();
    QFont qfont(QString::fromStdString(font.Name));
    qfont.setPixelSize(pixelHeight);
    qfont.setBold(font.Style.bold);
    qfont.setItalic(font.Style.italic);
    qfont.setUnderline(font.Style.underline);
    qfont.setStrikeOut(font.Style.strikeOut);
    qfont.setKerning(false);
    auto made = std::make_shared<TrpQtMeasurer::Metrics>(qfont);
    cache.emplace(key, made);
    return made;
}

// Characters whose advance does not depend on their neighbours.
bool Unshaped(char32_t c)
{
    return (c >= 0x20 && c < 0x250) || (c >= 0x370 && c < TrpQtMeasurer::Metrics::kCached);
}

} // namespace

QFont MakeQFont(const TrpFont& font, int pixelHeight)
{
    return MetricsOf(font, pixelHeight)->font;
}

QFont MakeQFont(const TrpFont& font, int pixelHeight, const QPaintDevice& device)
{
    const std::shared_ptr<TrpQtMeasurer::Metrics> metrics = MetricsOf(font, pixelHeight);
    const int dpi = device.logicalDpiY();
    auto it = metrics->deviceFonts.find(dpi);
    if (it == metrics->deviceFonts.end())
        it = metrics->deviceFonts.emplace(dpi, QFont(metrics->font, &device)).first;
    return it->second;
}

int FontAscent(const TrpFont& font, int pixelHeight)
{
    return MetricsOf(font, pixelHeight)->ascent;
}

int FontHeight(const TrpFont& font, int pixelHeight)
{
    return MetricsOf(font, pixelHeight)->height;
}

QString ToQString(std::string_view text, std::uint16_t charset)
{
    const TrpTextCodec codec(text, charset);
    if (codec.IsUtf8())
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const std::u32string chars = codec.Decode(text);
    return QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size()));
}

TrpQtMeasurer::TrpQtMeasurer(const TrpFont& font, int pixelHeight, int charExtra)
    : metrics_(MetricsOf(font, pixelHeight)), charExtra_(charExtra), charset_(font.Charset)
{
}

TrpQtMeasurer::~TrpQtMeasurer() = default;

int TrpQtMeasurer::TextWidth(std::string_view text) const
{
    const TrpTextCodec codec(text, charset_);
    const std::u32string chars = codec.Decode(text);
    qreal advance = 0;
    const bool simple = std::all_of(chars.begin(), chars.end(), Unshaped);
    if (simple) {
        for (const char32_t c : chars) {
            qreal& known = metrics_->advances[c];
            if (known < 0)
                known = metrics_->metrics.horizontalAdvance(QChar(static_cast<char16_t>(c)));
            advance += known;
        }
    } else {
        advance = metrics_->metrics.horizontalAdvance(QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size())));
    }
    const double width = std::ceil(advance - 1e-6) + double(chars.size()) * charExtra_;
    return static_cast<int>(std::clamp(width, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

std::unique_ptr<TrpTextMeasurer> TrpQtMeasurerFactory::Create(const TrpFont& font, int pixelHeight,
                                                              int charExtra) const
{
    return std::make_unique<TrpQtMeasurer>(font, pixelHeight, charExtra);
}

} // namespace report
