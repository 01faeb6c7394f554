#pragma once

#include "items/OffscreenCanvas.h"
#include "noteitems/ItemFactories.h"
#include "text/SectionDocument.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QString>

#include <gtest/gtest.h>

// A window-less canvas filled from a layout text through the factories, with a fixed palette
// so that system colours are known.
class LayoutFixture : public ::testing::Test {
protected:
    static constexpr QRgb kFace = 0xffd4d0c8;
    static constexpr QRgb kShadow = 0xff808080;
    static constexpr QRgb kHighlight = 0xffffffff;
    static constexpr QRgb kWhite = 0xffffffff;
    static constexpr QRgb kBlack = 0xff000000;

    static void SetUpTestSuite()
    {
        QPalette palette;
        palette.setColor(QPalette::Button, QColor::fromRgba(kFace));
        palette.setColor(QPalette::Dark, QColor::fromRgba(kShadow));
        palette.setColor(QPalette::Light, QColor::fromRgba(kHighlight));
        palette.setColor(QPalette::Midlight, QColor::fromRgba(0xffe3e3e3));
        QGuiApplication::setPalette(palette);
    }

    explicit LayoutFixture(QSize size = { 200, 200 }, CanvasKind kind = CanvasKind::Panel)
        : m_offscreen(size, kind)
    {
    }

    Canvas& GetCanvas() { return m_offscreen.GetCanvas(); }

    // Adds every section of a layout text written with LF line ends; returns how many made
    // items.
    int Load(QString layout)
    {
        layout.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        SectionDocument document;
        ParseSectionText(layout, document);
        int added = 0;
        for (int index = 0; index < document.Count(); ++index)
            added += ItemFactories::AddFromSection(GetCanvas(), document.Name(index), document.Store(index)) ? 1 : 0;
        return added;
    }

    QImage Render() { return m_offscreen.Render(OpaqueShortcut::On); }

    template <typename Kind>
    Kind* ItemAs(int index)
    {
        return dynamic_cast<Kind*>(GetCanvas().ItemAt(index));
    }

    OffscreenCanvas m_offscreen;
};

// The bounding rectangle of the pixels inside area that differ from the background.
inline QRect InkBounds(const QImage& image, const QRect& area, QRgb background)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != background)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// How many pixels inside area satisfy the predicate.
template <typename Predicate>
int CountPixels(const QImage& image, const QRect& area, Predicate predicate)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += predicate(image.pixel(x, y)) ? 1 : 0;
    return count;
}
