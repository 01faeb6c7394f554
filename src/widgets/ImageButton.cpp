#include "widgets/ImageButton.h"

#include "text/KeyValueStore.h"
#include "text/ValueForms.h"
#include "widgets/Placement.h"

#include <cmath>

namespace {

// The section key of each state picture, in the order they are read.
struct PictureKey {
    const char* key;
    ButtonBase::State state;
};
constexpr PictureKey kPictureKeys[] = {
    { "NormalFileName", ButtonBase::State::Normal },
    { "PushedFileName", ButtonBase::State::Pushed },
    { "HoverFileName", ButtonBase::State::Hover },
    { "DisableFileName", ButtonBase::State::Disabled },
};

// "path, x, y, width, height"; the part is the whole file while width and height are 0.
// A file that does not load leaves the picture empty.
bool LoadPicture(Image& image, const KeyValueStore& store, const QString& key)
{
    const QRect cut_out(store.GetListInt(key, 1), store.GetListInt(key, 2), store.GetListInt(key, 3), store.GetListInt(key, 4));
    return image.Load(store.GetListText(key, 0), cut_out);
}

}

ImageButton::ImageButton(Canvas& canvas, Hosting hosting)
    : ButtonBase(canvas, hosting)
    , m_images { Image(canvas), Image(canvas), Image(canvas), Image(canvas) }
{
}

const Picture& ImageButton::StatePicture(State state) const
{
    return m_images[static_cast<int>(state)].GetPicture();
}

bool ImageButton::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    for (const PictureKey& entry : kPictureKeys) {
        const QString key = QLatin1String(entry.key);
        if (!store.Contains(key))
            continue;
        Image& image = m_images[static_cast<int>(entry.state)];
        changed |= LoadPicture(image, store, key);
        const Picture& picture = image.GetPicture();
        if (entry.state != State::Normal)
            continue;
        // The normal picture gives the button its size unless the position says otherwise.
        const QSize size = picture.NaturalSize();
        const bool loaded = picture.IsLoaded();
        changed |= SetAnchor(kRight, loaded ? QLatin1Char('W') + FormatFixed(size.width()) : QString());
        changed |= SetAnchor(kBottom, loaded ? QLatin1Char('H') + FormatFixed(size.height()) : QString());
    }
    changed |= ButtonBase::ReadSection(store);
    return changed;
}

Image& ImageButton::ShownImage()
{
    Image& image = m_images[static_cast<int>(CurrentState())];
    return image.GetPicture().IsLoaded() ? image : m_images[0];
}

const Picture& ImageButton::ShownPicture() const
{
    const Picture& picture = StatePicture(CurrentState());
    return picture.IsLoaded() ? picture : StatePicture(State::Normal);
}

bool ImageButton::Draw(QPainter& painter, const QRectF& clip)
{
    Image& image = ShownImage();
    if (!image.GetPicture().IsLoaded())
        return false;
    image.GetPicture().SetRepeat(false);
    PlaceItem(image, GetBounds());
    return image.Draw(painter, clip);
}

bool ImageButton::HitTest(QPointF page_point) const
{
    const QRectF bounds = GetBounds();
    if (!bounds.contains(page_point))
        return false;
    const Picture& picture = ShownPicture();
    if (!picture.IsLoaded())
        return false;
    // The pixel under the pointer at the picture's own size; the decoded image may hold fewer
    // pixels than that.
    const QImage& image = picture.Image();
    const QSize natural = picture.NaturalSize();
    int x = int(page_point.x() - bounds.left());
    int y = int(page_point.y() - bounds.top());
    if (x < 0 || y < 0 || x >= natural.width() || y >= natural.height())
        return false;
    if (natural != image.size()) {
        x = x * image.width() / natural.width();
        y = y * image.height() / natural.height();
    }
    if (!image.valid(x, y))
        return false;
    return qAlpha(image.pixel(x, y)) != 0;
}
