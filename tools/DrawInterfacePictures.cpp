// Draws the interface pictures that ship in the "resource" folder beside the program: the tiled
// bar background, the maker's logo, the window icon and the strips of the tool bar and page bar
// buttons. Every strip holds one band per button state, top to bottom: normal, hover, pushed,
// disabled (the logo has normal and hover only).
//
// Usage: DrawInterfacePictures OUTPUT_FOLDER [--preview SHEET.png]
//
// The output is the same, byte for byte, on every run: the texture noise comes from a fixed seed
// and nothing depends on the clock. --preview also writes a contact sheet with both bars mocked up.

#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTextStream>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

enum class State { Normal, Hover, Pushed, Disabled };
constexpr std::array kStripOrder { State::Normal, State::Hover, State::Pushed, State::Disabled };

constexpr int kBandHeight = 35;
constexpr int kWideWidth = 110;
constexpr int kSquareWidth = 35;
constexpr int kLogoWidth = 95;
constexpr int kLogoBandHeight = 40;
constexpr int kIconSize = 256;
constexpr int kTileSize = 96;
constexpr qreal kButtonRadius = 6.5;

const QString kFontFamily = QStringLiteral("IPAPGothic");

// One palette for every picture.
const QColor kInk { 0x26, 0x30, 0x3c };
const QColor kOutline { 0x5f, 0x6b, 0x79 };
const QColor kAccent { 0x3d, 0x8b, 0xe0 };
const QColor kPaper { 0xff, 0xff, 0xff };
const QColor kPaperShade { 0xe3, 0xe9, 0xf0 };
const QColor kArrow { 0x3a, 0x7c, 0xcc };
const QColor kNoteCover { 0x2f, 0x9c, 0x8f };
const QColor kFolder { 0xf1, 0xb9, 0x4c };
const QColor kSky { 0x8f, 0xcc, 0xf3 };
const QColor kHill { 0x5a, 0xab, 0x5c };
const QColor kSun { 0xf5, 0x9e, 0x2f };
const QColor kBadgeNew { 0x3f, 0xa8, 0x4f };
const QColor kBadgeClear { 0xdd, 0x4b, 0x3f };
const QColor kBadgeSave { 0x2f, 0x6c, 0xc8 };
const QColor kLockBody { 0xe6, 0xaa, 0x38 };
const QColor kSteel { 0x86, 0x91, 0x9e };
const QColor kBarBase { 0xe3, 0xe7, 0xec };

QColor WithAlpha(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

QLinearGradient VerticalGradient(qreal top, qreal bottom, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

// Fills a shape with a top-lit gradient of its colour and outlines it in a darker shade.
void FillShape(QPainter& painter, const QPainterPath& path, const QColor& color, qreal outline = 1.1)
{
    const QRectF box = path.boundingRect();
    painter.setPen(QPen(color.darker(165), outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(VerticalGradient(box.top(), box.bottom(), color.lighter(122), color));
    painter.drawPath(path);
}

QPainterPath RoundedRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath Polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

// Icons are drawn in a 24 x 24 unit box; the callers scale it to the button.

void DrawSheet(QPainter& painter, const QRectF& r)
{
    constexpr qreal kFold = 4.5;
    const QPointF fold_top(r.right() - kFold, r.top());
    const QPointF fold_side(r.right(), r.top() + kFold);
    painter.setPen(QPen(kOutline, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(VerticalGradient(r.top(), r.bottom(), kPaper, kPaperShade));
    painter.drawPath(Polygon({ r.topLeft(), fold_top, fold_side, r.bottomRight(), r.bottomLeft() }));
    painter.setBrush(kPaperShade.darker(112));
    painter.drawPath(Polygon({ fold_top, QPointF(fold_top.x(), fold_side.y()), fold_side }));
    painter.setPen(QPen(WithAlpha(kOutline, 150), 1.0, Qt::SolidLine, Qt::RoundCap));
    for (qreal y = r.top() + 7.5; y < r.bottom() - 2.5; y += 3.0)
        painter.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
}

void DrawPhoto(QPainter& painter, const QRectF& r, qreal outline = 1.1)
{
    painter.setPen(QPen(kOutline, outline));
    painter.setBrush(kPaper);
    painter.drawRoundedRect(r, 1.2, 1.2);
    const QRectF inner = r.adjusted(1.8, 1.8, -1.8, -1.8);
    painter.save();
    painter.setClipRect(inner);
    painter.setPen(Qt::NoPen);
    painter.fillRect(inner, VerticalGradient(inner.top(), inner.bottom(), kSky, kSky.lighter(125)));
    painter.setBrush(kSun);
    painter.drawEllipse(QPointF(inner.right() - inner.width() * 0.27, inner.top() + inner.height() * 0.3),
        inner.height() * 0.17, inner.height() * 0.17);
    // A point of the picture, as fractions of its width and height.
    const auto at = [&inner](qreal x, qreal y) {
        return QPointF(inner.left() + inner.width() * x, inner.top() + inner.height() * y);
    };
    painter.setBrush(kHill.darker(125));
    painter.drawPath(Polygon({ at(0, 1), at(0.35, 0.35), at(0.7, 1) }));
    painter.setBrush(kHill);
    painter.drawPath(Polygon({ at(0.3, 1), at(0.65, 0.55), at(1.1, 1) }));
    painter.restore();
}

void DrawNotebook(QPainter& painter, const QRectF& r)
{
    FillShape(painter, RoundedRect(r, 1.8), kNoteCover);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WithAlpha(kPaper, 235));
    painter.drawRoundedRect(QRectF(r.left() + r.width() * 0.3, r.top() + r.height() * 0.2, r.width() * 0.55,
                                r.height() * 0.2),
        0.8, 0.8);
    const int ring_count = 4;
    for (int i = 0; i < ring_count; ++i) {
        const qreal y = r.top() + r.height() * (i + 0.5) / ring_count;
        painter.setBrush(kSteel.lighter(140));
        painter.setPen(QPen(kOutline, 0.8));
        painter.drawRoundedRect(QRectF(r.left() - 1.7, y - 0.9, 3.6, 1.8), 0.9, 0.9);
    }
}

// An open folder with its back, whatever is kept in it, then the front flap.
void DrawFolder(QPainter& painter, const std::function<void(QPainter&)>& contents)
{
    FillShape(painter, Polygon({ { 2, 20.5 }, { 2, 5.5 }, { 8, 5.5 }, { 10, 7.5 }, { 19.5, 7.5 }, { 19.5, 20.5 } }),
        kFolder.darker(118));
    contents(painter);
    FillShape(painter, Polygon({ { 2, 20.5 }, { 5, 12 }, { 22.5, 12 }, { 19.5, 20.5 } }), kFolder);
}

enum class BadgeSymbol { Plus, Cross, DownArrow };

// A round badge in the lower right corner that says what happens to the thing behind it.
void DrawBadge(QPainter& painter, const QColor& color, BadgeSymbol symbol)
{
    const QPointF centre(17.5, 17.5);
    constexpr qreal kRadius = 5.8;
    painter.setPen(QPen(kPaper, 1.3));
    QRadialGradient gradient(centre - QPointF(1.5, 2), kRadius * 1.6);
    gradient.setColorAt(0, color.lighter(135));
    gradient.setColorAt(1, color.darker(110));
    painter.setBrush(gradient);
    painter.drawEllipse(centre, kRadius, kRadius);
    painter.setPen(QPen(kPaper, 1.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    constexpr qreal kArm = 2.8;
    switch (symbol) {
    case BadgeSymbol::Plus:
        painter.drawLine(centre - QPointF(kArm, 0), centre + QPointF(kArm, 0));
        painter.drawLine(centre - QPointF(0, kArm), centre + QPointF(0, kArm));
        break;
    case BadgeSymbol::Cross:
        painter.drawLine(centre - QPointF(2.2, 2.2), centre + QPointF(2.2, 2.2));
        painter.drawLine(centre - QPointF(2.2, -2.2), centre + QPointF(2.2, -2.2));
        break;
    case BadgeSymbol::DownArrow:
        painter.drawLine(centre - QPointF(0, kArm + 0.2), centre + QPointF(0, kArm));
        painter.drawPolyline(QPolygonF({ centre + QPointF(-2.5, 0.4), centre + QPointF(0, kArm),
            centre + QPointF(2.5, 0.4) }));
        break;
    }
}

// A straight arrow pointing right.
void DrawArrow(QPainter& painter)
{
    FillShape(painter,
        Polygon({ { 3, 9.5 }, { 12, 9.5 }, { 12, 4.5 }, { 21, 12 }, { 12, 19.5 }, { 12, 14.5 }, { 3, 14.5 } }), kArrow);
}

// A U-turn arrow that comes back to the left, as in "take the last step back".
void DrawTurnArrow(QPainter& painter)
{
    QPainterPath line;
    line.moveTo(8.5, 8.5);
    line.lineTo(13, 8.5);
    line.cubicTo(17.5, 8.5, 20.5, 11.2, 20.5, 14.5);
    line.cubicTo(20.5, 17.8, 17.5, 20.5, 13, 20.5);
    line.lineTo(10, 20.5);
    QPainterPathStroker stroker;
    stroker.setWidth(3.6);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath head = Polygon({ { 2.5, 8.5 }, { 9.5, 2.5 }, { 9.5, 14.5 } });
    FillShape(painter, stroker.createStroke(line).united(head).simplified(), kArrow);
}

// Triangles against a bar: the last page ("skip to the end") pointing right.
void DrawSkipArrow(QPainter& painter)
{
    QPainterPath shape = Polygon({ { 3, 5 }, { 11, 12 }, { 3, 19 } });
    shape.addPath(Polygon({ { 10, 5 }, { 18, 12 }, { 10, 19 } }));
    shape.addRoundedRect(QRectF(18.2, 5, 3, 14), 0.6, 0.6);
    FillShape(painter, shape.simplified(), kArrow);
}

void DrawPadlock(QPainter& painter, bool locked)
{
    QPainterPath shackle;
    shackle.moveTo(8, 12);
    if (locked) {
        shackle.lineTo(8, 8);
        shackle.arcTo(QRectF(8, 4, 8, 8), 180, -180);
        shackle.lineTo(16, 12);
    } else {
        shackle.lineTo(8, 5.5);
        shackle.arcTo(QRectF(8, 1.5, 8, 8), 180, -180);
        shackle.lineTo(16, 7.5);
    }
    painter.setPen(QPen(kSteel.darker(150), 3.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(shackle);
    painter.setPen(QPen(kSteel.lighter(135), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(shackle);
    FillShape(painter, RoundedRect(QRectF(4.5, 11, 15, 10.5), 2), kLockBody);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kLockBody.darker(230));
    painter.drawEllipse(QPointF(12, 15), 1.6, 1.6);
    painter.drawRoundedRect(QRectF(11.3, 15, 1.4, 3.6), 0.6, 0.6);
}

using IconDrawer = std::function<void(QPainter&, State)>;

IconDrawer Mirrored(IconDrawer drawer)
{
    return [drawer](QPainter& painter, State state) {
        painter.translate(24, 0);
        painter.scale(-1, 1);
        drawer(painter, state);
    };
}

IconDrawer Plain(void (*draw)(QPainter&))
{
    return [draw](QPainter& painter, State) { draw(painter); };
}

IconDrawer WithBadge(std::function<void(QPainter&)> draw, const QColor& color, BadgeSymbol symbol)
{
    return [=](QPainter& painter, State) {
        draw(painter);
        DrawBadge(painter, color, symbol);
    };
}

struct ButtonPicture {
    QString file_name;
    int width { kWideWidth };
    QString caption;
    IconDrawer icon;
    // Where the button sits in the preview: the tool bar, or the page bar 80 pixels below it.
    QPoint place;
};

std::vector<ButtonPicture> ButtonPictures()
{
    const auto notebook = [](QPainter& p) { DrawNotebook(p, QRectF(6, 2.5, 12, 16)); };
    const auto photo = [](QPainter& p) { DrawPhoto(p, QRectF(2, 4, 17, 13)); };
    const auto sheet = [](QPainter& p) { DrawSheet(p, QRectF(4, 2, 13.5, 17)); };
    const auto folder_with = [](std::function<void(QPainter&)> contents) {
        return [contents](QPainter& p, State) { DrawFolder(p, contents); };
    };
    return {
        { "new_note_button.png", kWideWidth, "新規ノート", WithBadge(notebook, kBadgeNew, BadgeSymbol::Plus), { 0, 0 } },
        { "clear_page_button.png", kWideWidth, "ページ消去", WithBadge(sheet, kBadgeClear, BadgeSymbol::Cross),
            { 0, 35 } },
        { "open_note_button.png", kWideWidth, "ノートを開く",
            folder_with([](QPainter& p) { DrawNotebook(p, QRectF(8, 2, 10, 13)); }), { 110, 0 } },
        { "open_image_button.png", kWideWidth, "画像を開く",
            folder_with([](QPainter& p) { DrawPhoto(p, QRectF(5, 2.5, 14.5, 12)); }), { 110, 35 } },
        { "save_note_button.png", kWideWidth, "ノート保存", WithBadge(notebook, kBadgeSave, BadgeSymbol::DownArrow),
            { 220, 0 } },
        { "save_page_button.png", kWideWidth, "画像保存", WithBadge(photo, kBadgeSave, BadgeSymbol::DownArrow),
            { 220, 35 } },
        { "undo_note_button.png", kWideWidth, "元に戻す", Plain(DrawTurnArrow), { 330, 0 } },
        { "redo_note_button.png", kWideWidth, "やり直し", Mirrored(Plain(DrawTurnArrow)), { 330, 35 } },
        { "prev_page_button.png", kWideWidth, "前のページ", Mirrored(Plain(DrawArrow)), { 200, 115 } },
        { "next_page_button.png", kWideWidth, "次のページ", Plain(DrawArrow), { 310, 115 } },
        { "top_page_button.png", kSquareWidth, {}, Mirrored(Plain(DrawSkipArrow)), { 203, 80 } },
        { "end_page_button.png", kSquareWidth, {}, Plain(DrawSkipArrow), { 347, 80 } },
        // The lock is a check button: its pushed band is the locked state.
        { "lock_page_button.png", kSquareWidth, {},
            [](QPainter& p, State state) { DrawPadlock(p, state == State::Pushed); }, { 382, 80 } },
    };
}

QImage TransparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Greys a layer and fades it towards the face it lies on.
void Fade(QImage& layer, qreal opacity)
{
    for (int y = 0; y < layer.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const QRgb pixel = line[x];
            const int grey = (qRed(pixel) * 30 + qGreen(pixel) * 59 + qBlue(pixel) * 11) / 100;
            const int alpha = qAlpha(pixel);
            // Premultiplied: the grey is lifted towards the pixel's own alpha (its white).
            const int light = (grey + alpha) / 2;
            line[x] = qRgba(int(light * opacity), int(light * opacity), int(light * opacity), int(alpha * opacity));
        }
    }
}

struct Face {
    QColor top;
    QColor bottom;
    QColor border;
};

// Faces in the order of the states: normal, hover (lighter, with a blue rim), pushed (darker,
// lit from below) and disabled (flat and pale).
const std::array kFaces { Face { QColor(0xfd, 0xfe, 0xff), QColor(0xd8, 0xdf, 0xe7), QColor(0x8c, 0x98, 0xa7) },
    Face { QColor(0xff, 0xff, 0xff), QColor(0xe4, 0xef, 0xfb), kAccent.darker(115) },
    Face { QColor(0xbf, 0xc9, 0xd5), QColor(0xdc, 0xe2, 0xe9), QColor(0x6b, 0x78, 0x88) },
    Face { QColor(0xee, 0xf0, 0xf2), QColor(0xe2, 0xe5, 0xe8), QColor(0xb8, 0xbf, 0xc7) } };

// The rounded, bevelled body of a button or of the logo: a shadow or a hover glow around it, a
// lit face, a highlight along the top or, when pushed, a shadow cast into it, and the rim.
void DrawBody(QPainter& painter, const QRectF& body, State state, qreal radius, int face_alpha = 255)
{
    const QPainterPath shape = RoundedRect(body, radius);
    const QPainterPath rim = RoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5);
    painter.setBrush(Qt::NoBrush);
    if (state == State::Hover) {
        painter.setPen(QPen(WithAlpha(kAccent, 45), 4.5));
        painter.drawPath(shape);
        painter.setPen(QPen(WithAlpha(kAccent, 90), 2.5));
        painter.drawPath(shape);
    } else if (state == State::Normal && face_alpha == 255) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(WithAlpha(Qt::black, 22));
        painter.drawPath(shape.translated(0, 1.5));
        painter.setBrush(WithAlpha(Qt::black, 30));
        painter.drawPath(shape.translated(0, 0.8));
    }
    const Face& face = kFaces[std::size_t(state)];
    painter.setPen(Qt::NoPen);
    painter.setBrush(VerticalGradient(body.top(), body.bottom(), WithAlpha(face.top, face_alpha),
        WithAlpha(face.bottom, face_alpha)));
    painter.drawPath(shape);

    painter.save();
    painter.setClipPath(shape);
    painter.setBrush(Qt::NoBrush);
    if (state == State::Pushed) {
        painter.fillRect(QRectF(body.left(), body.top(), body.width(), 5),
            VerticalGradient(body.top(), body.top() + 5, WithAlpha(Qt::black, 55), WithAlpha(Qt::black, 0)));
    } else if (state != State::Disabled) {
        painter.setPen(QPen(VerticalGradient(body.top(), body.top() + body.height() * 0.6, WithAlpha(kPaper, 240),
                                WithAlpha(kPaper, 0)),
            1.0));
        painter.drawPath(RoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1.5));
    }
    painter.restore();

    painter.setPen(QPen(WithAlpha(face.border, face_alpha == 255 ? 255 : face_alpha * 2), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(rim);
}

// The icon and the caption of one band, drawn into their own layer so that a disabled band can
// be greyed as a whole.
QImage DrawContents(const ButtonPicture& picture, State state)
{
    QImage layer = TransparentImage(picture.width, kBandHeight);
    QPainter painter(&layer);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    if (state == State::Pushed)
        painter.translate(1, 1);
    const bool has_caption = !picture.caption.isEmpty();
    const qreal icon_size = has_caption ? 21 : 23;
    const QPointF icon_origin = has_caption ? QPointF(8, 6.5) : QPointF((picture.width - icon_size) / 2.0, 5.5);
    painter.save();
    painter.translate(icon_origin);
    painter.scale(icon_size / 24.0, icon_size / 24.0);
    picture.icon(painter, state);
    painter.restore();
    if (has_caption) {
        QFont font(kFontFamily);
        font.setPixelSize(12);
        painter.setFont(font);
        const QRectF text_box(icon_origin.x() + icon_size + 1, 2, picture.width - icon_origin.x() - icon_size - 6, 30);
        painter.setPen(WithAlpha(kPaper, 170));
        painter.drawText(text_box.translated(0, 1), Qt::AlignCenter, picture.caption);
        painter.setPen(kInk);
        painter.drawText(text_box, Qt::AlignCenter, picture.caption);
    }
    painter.end();
    if (state == State::Disabled)
        Fade(layer, 0.6);
    return layer;
}

QImage DrawButtonStrip(const ButtonPicture& picture)
{
    QImage strip = TransparentImage(picture.width, kBandHeight * int(kStripOrder.size()));
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t band = 0; band < kStripOrder.size(); ++band) {
        const State state = kStripOrder[band];
        painter.save();
        painter.translate(0, qreal(band) * kBandHeight);
        painter.setClipRect(0, 0, picture.width, kBandHeight);
        DrawBody(painter, QRectF(2.5, 2.5, picture.width - 5, kBandHeight - 6), state, kButtonRadius);
        painter.drawImage(0, 0, DrawContents(picture, state));
        painter.restore();
    }
    return strip;
}

// The maker's mark: four tiles set as a diamond, and the name beside it.
void DrawMark(QPainter& painter, const QPointF& centre, qreal tile)
{
    const std::array colors { kArrow, kSun, kBadgeClear, kHill };
    painter.save();
    painter.translate(centre);
    painter.rotate(45);
    const qreal gap = tile * 0.18;
    for (int i = 0; i < 4; ++i) {
        const QRectF r((i % 2 == 0 ? -tile - gap / 2 : gap / 2), (i / 2 == 0 ? -tile - gap / 2 : gap / 2), tile, tile);
        FillShape(painter, RoundedRect(r, tile * 0.22), colors[i], tile * 0.08);
    }
    painter.restore();
}

QImage DrawLogoStrip()
{
    QImage strip = TransparentImage(kLogoWidth, kLogoBandHeight * 2);
    QPainter painter(&strip);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QFont font(kFontFamily);
    font.setPixelSize(14);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.2);
    const std::array states { State::Normal, State::Hover };
    for (std::size_t band = 0; band < states.size(); ++band) {
        const bool hover = states[band] == State::Hover;
        painter.save();
        painter.translate(0, qreal(band) * kLogoBandHeight);
        // A faint plate keeps the whole logo clickable; it lights up under the pointer.
        DrawBody(painter, QRectF(2.5, 3.5, kLogoWidth - 5, kLogoBandHeight - 7), states[band], 10, hover ? 255 : 70);
        DrawMark(painter, QPointF(17, 20), 6.5);
        QPainterPath name;
        name.addText(0, 0, font, QStringLiteral("Veldran"));
        const QRectF box = name.boundingRect();
        name.translate(30 + (kLogoWidth - 35 - box.width()) / 2 - box.left(), 20 - box.center().y());
        const QColor ink = hover ? kAccent.darker(140) : kInk;
        painter.setPen(QPen(ink, 0.55));
        painter.setBrush(ink);
        painter.drawPath(name);
        painter.restore();
    }
    return strip;
}

// The window icon: a tilted page of a scrapbook with a photo taped on, over a blue tile.
QImage DrawWindowIcon()
{
    QImage icon = TransparentImage(kIconSize, kIconSize);
    QPainter painter(&icon);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF tile(12, 12, kIconSize - 24, kIconSize - 24);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WithAlpha(Qt::black, 45));
    painter.drawPath(RoundedRect(tile.translated(0, 5), 52));
    painter.setBrush(VerticalGradient(tile.top(), tile.bottom(), kArrow.lighter(135), kArrow.darker(125)));
    painter.drawPath(RoundedRect(tile, 52));
    painter.setPen(QPen(WithAlpha(kPaper, 70), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(RoundedRect(tile.adjusted(3, 3, -3, -3), 49));

    painter.translate(kIconSize / 2.0, kIconSize / 2.0);
    painter.scale(7, 7);
    painter.save();
    painter.rotate(-9);
    painter.translate(-12, -12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WithAlpha(Qt::black, 50));
    painter.drawRoundedRect(QRectF(3.4, 3.1, 17.5, 20.5), 1, 1);
    painter.setBrush(kPaper);
    painter.drawRoundedRect(QRectF(3, 2.6, 17.5, 20.5), 1, 1);
    painter.restore();
    painter.rotate(7);
    painter.translate(-12, -12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WithAlpha(Qt::black, 40));
    painter.drawRoundedRect(QRectF(4.7, 4.9, 15, 12), 1.2, 1.2);
    DrawPhoto(painter, QRectF(4.5, 4.5, 15, 12), 0.25);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WithAlpha(kFolder.lighter(115), 200));
    painter.save();
    painter.translate(5, 4.5);
    painter.rotate(-40);
    painter.drawRect(QRectF(-3, -1.1, 6, 2.2));
    painter.restore();
    painter.setPen(QPen(kOutline, 0.8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 2; ++i)
        painter.drawLine(QPointF(5, 19 + i * 2.2), QPointF(i == 0 ? 18.5 : 14, 19 + i * 2.2));
    return icon;
}

// A value in -1 .. 1 that depends only on its arguments, so the texture is the same on every run.
qreal Noise(std::uint32_t x, std::uint32_t y, std::uint32_t salt)
{
    std::uint32_t h = x * 0x9e3779b1u ^ y * 0x85ebca77u ^ salt * 0xc2b2ae3du;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 13;
    return qreal(h % 20001) / 10000.0 - 1.0;
}

// Threads of a fine weave: one weight per row or column, smoothed over the neighbours with the
// indices wrapping at the tile's edge, so the tile repeats seamlessly.
qreal Thread(int index, std::uint32_t salt)
{
    const auto at = [salt](int i) { return Noise(std::uint32_t((i + kTileSize) % kTileSize), 0, salt); };
    return (at(index - 1) + 2 * at(index) + at(index + 1)) / 4;
}

QImage DrawBackgroundTile()
{
    QImage tile(kTileSize, kTileSize, QImage::Format_RGB32);
    for (int y = 0; y < kTileSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
        for (int x = 0; x < kTileSize; ++x) {
            const qreal weave = ((x + y) % 2 == 0 ? Thread(y, 1) : Thread(x, 2)) * 2.2;
            const qreal shade = weave + Noise(std::uint32_t(x), std::uint32_t(y), 3) * 1.3;
            const auto channel = [shade](int base) { return qBound(0, int(std::lround(base + shade)), 255); };
            line[x] = qRgb(channel(kBarBase.red()), channel(kBarBase.green()), channel(kBarBase.blue()));
        }
    }
    return tile;
}

// The tool bar and the page bar mocked up with the pictures at their places (each button in
// another state), then every strip, the logo and the window icon at a few sizes.
QImage DrawPreview(const QImage& background, const std::vector<std::pair<ButtonPicture, QImage>>& strips,
    const QImage& logo, const QImage& icon)
{
    constexpr int kBarWidth = 800;
    QImage sheet(kBarWidth, 160 + 310 + kIconSize, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&sheet);
    for (int bar = 0; bar < 2; ++bar)
        painter.fillRect(QRect(0, bar * 80, kBarWidth, 70), QBrush(background));
    painter.fillRect(QRect(0, 160, kBarWidth, 300), QBrush(background));
    painter.drawImage(kBarWidth - 98, 17, logo.copy(0, 0, kLogoWidth, kLogoBandHeight));
    QPoint at(4, 165);
    for (std::size_t i = 0; i < strips.size(); ++i) {
        const QImage& strip = strips[i].second;
        painter.drawImage(strips[i].first.place, strip.copy(0, int(i % 4) * kBandHeight, strip.width(), kBandHeight));
        if (at.x() + strip.width() > kBarWidth - 4)
            at = QPoint(4, at.y() + strip.height() + 8);
        painter.drawImage(at, strip);
        at.rx() += strip.width() + 3;
    }
    for (int bar = 0; bar < 2; ++bar) {
        const QColor shade(0, 0, 0, 16);
        const QColor clear(0, 0, 0, 0);
        painter.fillRect(QRect(0, bar * 80, kBarWidth, 70),
            VerticalGradient(bar * 80, bar * 80 + 70, bar == 0 ? shade : clear, bar == 0 ? clear : shade));
    }
    painter.drawImage(kBarWidth - kLogoWidth - 4, 313, logo);
    int x = 0;
    for (const int size : { kIconSize, 64, 32, 16 }) {
        painter.drawImage(x, 470, icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        x += size + 10;
    }
    painter.end();
    // Twice the size, pixel for pixel, so that the details can be judged.
    return sheet.scaled(sheet.size() * 2);
}

bool Save(const QImage& image, const QDir& folder, const QString& file_name)
{
    const QString path = folder.filePath(file_name);
    if (image.save(path, "PNG"))
        return true;
    QTextStream(stderr) << "Cannot write " << path << "\n";
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2 && !(arguments.size() == 4 && arguments[2] == QStringLiteral("--preview"))) {
        QTextStream(stderr) << "Usage: DrawInterfacePictures OUTPUT_FOLDER [--preview SHEET.png]\n";
        return 2;
    }
    if (QFontInfo(QFont(kFontFamily)).family() != kFontFamily)
        QTextStream(stderr) << "Warning: the font " << kFontFamily << " is missing (fonts-ipafont-gothic)\n";
    QDir folder(arguments[1]);
    if (!folder.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "Cannot create " << arguments[1] << "\n";
        return 1;
    }

    bool saved = true;
    const QImage background = DrawBackgroundTile();
    saved &= Save(background, folder, QStringLiteral("background.png"));
    const QImage logo = DrawLogoStrip();
    saved &= Save(logo, folder, QStringLiteral("veldran_logo.png"));
    const QImage icon = DrawWindowIcon();
    saved &= Save(icon, folder, QStringLiteral("icon.png"));
    std::vector<std::pair<ButtonPicture, QImage>> strips;
    for (const ButtonPicture& picture : ButtonPictures()) {
        strips.emplace_back(picture, DrawButtonStrip(picture));
        saved &= Save(strips.back().second, folder, picture.file_name);
    }
    if (arguments.size() == 4 && !DrawPreview(background, strips, logo, icon).save(arguments[3], "PNG"))
        saved = false;
    return saved ? 0 : 1;
}
