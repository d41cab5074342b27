// SPDX-License-Identifier: MIT
// Round studs for every button, released (raised, lit from the upper left)
// and pressed (sunk into its socket: shifted down-right, bevel inverted,
// darker face, inner shadow), with the glyph that says what it does.
#include <QFont>
#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>

#include "art.h"

namespace art {

namespace {

struct Part {
    QPainterPath path;
    QColor colour;
};

QPainterPath stroked(const QPainterPath& p, double width, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPainterPathStroker st;
    st.setWidth(width);
    st.setCapStyle(cap);
    st.setJoinStyle(Qt::RoundJoin);
    return st.createStroke(p);
}

QPainterPath line(QPointF a, QPointF b) {
    QPainterPath p(a);
    p.lineTo(b);
    return p;
}

QPainterPath circle(QPointF c, double r) {
    QPainterPath p;
    p.addEllipse(c, r, r);
    return p;
}

QPainterPath arrow(bool up) {
    QPainterPath tri;
    const double d = up ? 1.0 : -1.0;
    tri.moveTo(0, -4.0 * d);
    tri.lineTo(4.6, 2.6 * d);
    tri.lineTo(-4.6, 2.6 * d);
    tri.closeSubpath();
    QPainterPath p = tri.united(stroked(tri, 1.7));
    return p.translated(0, up ? -0.2 : 0.2);
}

std::vector<Part> dropperParts(QColor light) {
    // Built lying along +x with the tip at +x, then turned so the tip points
    // to the lower left and the bulb to the upper right.
    std::vector<Part> parts;
    QTransform t;
    t.rotate(135);
    t.scale(0.86, 0.86);
    t.translate(-1.2, 0);
    QPainterPath bulb;
    bulb.addRoundedRect(QRectF(-11.5, -3.3, 8.2, 6.6), 3.2, 3.2);
    QPainterPath collar;
    collar.addRoundedRect(QRectF(-4.2, -4.1, 2.4, 8.2), 0.9, 0.9);
    QPainterPath tube;
    tube.addRoundedRect(QRectF(-2.2, -2.2, 8.4, 4.4), 0.8, 0.8);
    QPainterPath glass = stroked(tube, 1.25);
    QPainterPath liquid;
    liquid.addRect(QRectF(1.8, -1.55, 4.4, 3.1));
    QPainterPath tip;
    tip.moveTo(6.0, -1.6);
    tip.lineTo(10.2, -0.55);
    tip.lineTo(10.2, 0.55);
    tip.lineTo(6.0, 1.6);
    tip.closeSubpath();
    QPainterPath drop = circle(QPointF(13.2, 0), 1.45);
    parts.push_back({t.map(bulb.united(collar)), light});
    parts.push_back({t.map(glass), light});
    parts.push_back({t.map(tip), light});
    parts.push_back({t.map(liquid), orangeTint()});
    parts.push_back({t.map(drop), orangeTint()});
    return parts;
}

std::vector<Part> magnifierParts(QColor light) {
    std::vector<Part> parts;
    const QPointF lc(-2.4, -2.4);
    const double lr = 5.6;
    // A few magnified "pixels" in the glass.
    const double q = 2.5;
    const QColor px[4] = {orangeTint(), redTint(), blueTint(), greenTint()};
    for (int i = 0; i < 4; ++i) {
        QPainterPath sq;
        sq.addRect(QRectF(lc.x() - q + (i % 2) * q, lc.y() - q + (i / 2) * q, q, q));
        parts.push_back({sq, px[i]});
    }
    parts.push_back({stroked(circle(lc, lr), 2.1), light});
    const QPointF from = lc + QPointF(lr + 0.6, lr + 0.6) / std::sqrt(2.0);
    parts.push_back({stroked(line(from, QPointF(7.6, 7.6)), 3.3), light});
    return parts;
}

std::vector<Part> glyphParts(const Button& b) {
    std::vector<Part> parts;
    const QColor c = b.tint;
    switch (b.glyph) {
        case Glyph::Up:
            parts.push_back({arrow(true), c});
            break;
        case Glyph::Down:
            parts.push_back({arrow(false), c});
            break;
        case Glyph::Dropper:
            parts = dropperParts(c);
            break;
        case Glyph::Magnifier:
            parts = magnifierParts(c);
            break;
        case Glyph::Close: {
            const double k = 4.3;
            QPainterPath x =
                stroked(line({-k, -k}, {k, k}), 2.5).united(stroked(line({-k, k}, {k, -k}), 2.5));
            parts.push_back({x, c});
            break;
        }
        case Glyph::Export: {
            QPainterPath doc;
            doc.moveTo(-0.6, -2.6);
            doc.lineTo(-0.6, -6.6);
            doc.lineTo(3.6, -6.6);
            doc.lineTo(6.6, -3.6);
            doc.lineTo(6.6, 6.6);
            doc.lineTo(-0.6, 6.6);
            doc.lineTo(-0.6, 3.2);
            QPainterPath fold;
            fold.moveTo(3.4, -6.4);
            fold.lineTo(3.4, -3.4);
            fold.lineTo(6.4, -3.4);
            parts.push_back({stroked(doc, 1.35).united(stroked(fold, 1.0)), c});
            QPainterPath head;
            head.moveTo(4.2, 0.3);
            head.lineTo(0.4, -3.2);
            head.lineTo(0.4, 3.8);
            head.closeSubpath();
            QPainterPath shaft = stroked(line({-7.4, 0.3}, {1.0, 0.3}), 2.0);
            parts.push_back({shaft.united(head.united(stroked(head, 0.8))), orangeTint()});
            break;
        }
        case Glyph::Help: {
            QFont f(QStringLiteral("DejaVu Sans"));
            f.setPixelSize(17);
            f.setWeight(QFont::Bold);
            QPainterPath q;
            q.addText(0, 0, f, QStringLiteral("?"));
            const QRectF r = q.boundingRect();
            parts.push_back({q.translated(-r.center()), c});
            break;
        }
        case Glyph::Log: {
            const QColor dots[3] = {redTint(), greenTint(), blueTint()};
            for (int i = 0; i < 3; ++i) {
                const double y = -3.9 + 3.9 * i;
                parts.push_back({circle({-4.9, y}, 1.45), dots[i]});
                parts.push_back({stroked(line({-1.6, y}, {5.8, y}), 1.6), c});
            }
            break;
        }
    }
    return parts;
}

QColor scaled(QColor c, double k) {
    return QColor::fromRgbF(static_cast<float>(c.redF() * k), static_cast<float>(c.greenF() * k),
                            static_cast<float>(c.blueF() * k), c.alphaF());
}

void drawGlyph(QPainter& p, const Button& b, QPointF at, bool pressed) {
    QTransform t;
    t.translate(at.x(), at.y());
    const std::vector<Part> parts = glyphParts(b);
    QPainterPath all;
    all.setFillRule(Qt::WindingFill);
    for (const auto& part : parts) all.addPath(t.map(part.path));
    // Raised glyph: a dark cast shadow below-right; pressed: only a faint one.
    p.fillPath(all.translated(0.35, pressed ? 0.5 : 0.95), QColor(0, 0, 0, pressed ? 90 : 150));
    for (const auto& part : parts) {
        p.fillPath(t.map(part.path), pressed ? scaled(part.colour, 0.78) : part.colour);
    }
}

}  // namespace

void drawStud(QPainter& p, const Button& b, bool pressed) {
    const double r = b.radius;
    p.save();
    p.setPen(Qt::NoPen);
    if (!pressed) {
        const QPointF c = b.centre;
        // Soft shadow cast into the socket.
        QRadialGradient shadow(c + QPointF(0.7, 1.3), r + 2.4);
        shadow.setColorAt(0, QColor(0, 0, 0, 150));
        shadow.setColorAt((r - 1.0) / (r + 2.4), QColor(0, 0, 0, 130));
        shadow.setColorAt(1, QColor(0, 0, 0, 0));
        p.setBrush(shadow);
        p.drawEllipse(c + QPointF(0.7, 1.3), r + 2.4, r + 2.4);
        // Body: a rounded bevel lit from the upper left.
        QLinearGradient body(c + QPointF(-r, -r) * 0.75, c + QPointF(r, r) * 0.75);
        body.setColorAt(0, QColor(128, 137, 152));
        body.setColorAt(0.5, QColor(72, 78, 89));
        body.setColorAt(1, QColor(36, 39, 45));
        p.setBrush(body);
        p.setPen(QPen(QColor(10, 11, 13), 0.9));
        p.drawEllipse(c, r - 0.45, r - 0.45);
        p.setPen(Qt::NoPen);
        // Face: gently domed.
        const double fr = r - 2.0;
        QRadialGradient face(c + QPointF(-0.35 * fr, -0.45 * fr), 1.5 * fr);
        face.setColorAt(0, QColor(96, 104, 117));
        face.setColorAt(0.6, QColor(66, 72, 82));
        face.setColorAt(1, QColor(50, 55, 63));
        p.setBrush(face);
        p.drawEllipse(c, fr, fr);
        // Shiny glint.
        QRadialGradient glint(c + QPointF(-0.38 * fr, -0.5 * fr), 0.6 * fr);
        glint.setColorAt(0, QColor(255, 255, 255, 70));
        glint.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(glint);
        p.drawEllipse(c, fr, fr);
        drawGlyph(p, b, c, false);
    } else {
        const QPointF c = b.centre + QPointF(1, 1);
        // Body with the bevel turned inside out: dark where the light was.
        QLinearGradient body(c + QPointF(-r, -r) * 0.75, c + QPointF(r, r) * 0.75);
        body.setColorAt(0, QColor(22, 24, 28));
        body.setColorAt(0.55, QColor(44, 48, 55));
        body.setColorAt(1, QColor(86, 93, 105));
        p.setBrush(body);
        p.setPen(QPen(QColor(8, 9, 11), 0.9));
        p.drawEllipse(c, r - 0.45, r - 0.45);
        p.setPen(Qt::NoPen);
        const double fr = r - 2.0;
        QLinearGradient face(c + QPointF(0, -fr), c + QPointF(0, fr));
        face.setColorAt(0, QColor(38, 42, 48));
        face.setColorAt(1, QColor(50, 55, 62));
        p.setBrush(face);
        p.drawEllipse(c, fr, fr);
        // Inner shadow along the upper-left rim.
        QRadialGradient inner(c + QPointF(0.28 * fr, 0.34 * fr), 1.25 * fr);
        inner.setColorAt(0, QColor(0, 0, 0, 0));
        inner.setColorAt(0.62, QColor(0, 0, 0, 0));
        inner.setColorAt(1, QColor(0, 0, 0, 150));
        p.setBrush(inner);
        p.drawEllipse(c, fr, fr);
        drawGlyph(p, b, c, true);
    }
    p.restore();
}

}  // namespace art
