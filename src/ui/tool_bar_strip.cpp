// Cutting tool-bar strips into button images, and button captions.
#include "ui/tool_bar_strip.h"

std::optional<QRgb> StripMaskColour(const QImage& strip)
{
    if (strip.isNull() || strip.width() <= 0 || strip.height() <= 0) return std::nullopt;
    return strip.pixel(0, strip.height() - 1) | 0xFF000000u;
}

std::vector<QImage> SplitToolBarStrip(const QImage& strip, int buttonWidth, QRgb maskColour)
{
    // The count divides by the button width and the mask reads a pixel: a width of 0 or
    // less, an empty strip or one narrower than a button gives no images.
    std::vector<QImage> images;
    if (buttonWidth <= 0 || strip.isNull() || strip.width() < buttonWidth) return images;
    const QImage argb = strip.convertToFormat(QImage::Format_ARGB32);
    const int count = argb.width() / buttonWidth;
    const QRgb opaqueMask = maskColour | 0xFF000000u;
    images.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        QImage image = argb.copy(i * buttonWidth, 0, buttonWidth, argb.height());
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((row[x] | 0xFF000000u) == opaqueMask) row[x] = 0;
        }
        images.push_back(std::move(image));
    }
    return images;
}

QSize ToolBarImageSize(std::optional<QSize> current)
{
    if (current && current->isValid() && !current->isEmpty()) return *current;
    return {kDefaultToolBarImageWidth, kDefaultToolBarImageHeight};
}

std::optional<QString> ToolBarCaption(const QString& commandString)
{
    const qsizetype lineBreak = commandString.indexOf(u'\n');
    if (lineBreak < 0) return commandString.isEmpty() ? std::nullopt : std::optional<QString>(commandString);
    QString caption = commandString.mid(lineBreak + 1);
    if (caption.isEmpty()) return std::nullopt;
    return caption;
}

namespace {

// One image list from strip with its own mask colour; false when it cannot be built.
bool BuildList(int buttonWidth, const QImage& strip, std::vector<QImage>& out)
{
    const std::optional<QRgb> mask = StripMaskColour(strip);
    if (!mask) return false;
    out = SplitToolBarStrip(strip, buttonWidth, *mask);
    return !out.empty();
}

}  // namespace

bool BuildToolBarImageLists(int buttonWidth, const QImage& normal, const QImage* hot, const QImage* disabled,
                            ToolBarImageLists& lists)
{
    ToolBarImageLists built;
    if (!BuildList(buttonWidth, normal, built.normal)) return false;
    if (hot && !BuildList(buttonWidth, *hot, built.hot)) return false;
    if (disabled && !BuildList(buttonWidth, *disabled, built.disabled)) return false;
    lists = std::move(built);
    return true;
}
