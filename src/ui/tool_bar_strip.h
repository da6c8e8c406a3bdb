// Tool-bar pictures from one strip image: the strip is cut into equal button images whose
// mask colour becomes transparent; also the button captions taken from command strings.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

// The image size of a tool bar that has no images yet.
constexpr int kDefaultToolBarImageWidth = 16;
constexpr int kDefaultToolBarImageHeight = 15;
// The light grey that the preview tool bar's strip shows where it is transparent.
constexpr QRgb kToolBarExMaskColour = 0xFFC0C0C0;

// The strip's mask colour: its first stored pixel, the bottom-left one of a bitmap stored
// bottom-up. Nothing for an empty strip.
std::optional<QRgb> StripMaskColour(const QImage& strip);

// Cuts strip into strip width / buttonWidth images of buttonWidth × strip height, the mask
// colour made transparent. Empty (a failure) for a button width of 0 or less, an empty
// strip or one narrower than a button.
std::vector<QImage> SplitToolBarStrip(const QImage& strip, int buttonWidth, QRgb maskColour);

// The image size for a tool bar: its current one, else 16 × 15.
QSize ToolBarImageSize(std::optional<QSize> current);

// A button's caption from its command string: the text after the first line break, the
// whole string when it has none; nothing when the text after the break is empty.
std::optional<QString> ToolBarCaption(const QString& commandString);

// The normal, hot and disabled image lists of a true-colour tool bar.
struct ToolBarImageLists {
    std::vector<QImage> normal;
    std::vector<QImage> hot;       // empty: no hot pictures
    std::vector<QImage> disabled;  // empty: no disabled pictures
};

// Builds the image lists from the normal strip and the optional hot and disabled strips,
// each with its own mask colour; false, with lists left as they were, as soon as one list
// cannot be built.
bool BuildToolBarImageLists(int buttonWidth, const QImage& normal, const QImage* hot, const QImage* disabled,
                            ToolBarImageLists& lists);
