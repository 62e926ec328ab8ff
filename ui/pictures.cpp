#include "ui/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Every picture is drawn on a 48 by 48 grid and scaled to the size asked for.
constexpr qreal kGrid = 48;

const QColor kInk(55, 60, 68);
const QColor kBlue(43, 108, 176);
const QColor kGreen(47, 133, 90);
const QColor kOrange(221, 107, 32);
const QColor kRed(197, 48, 48);
const QColor kTeal(0, 128, 128);
const QColor kGold(214, 158, 46);
const QColor kSkin(246, 205, 166);

QPen Outline(qreal width = 1.6) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with its top right corner folded over.
void Sheet(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.28;
    QPainterPath outline;
    outline.moveTo(r.topLeft());
    outline.lineTo(r.right() - fold, r.top());
    outline.lineTo(r.right(), r.top() + fold);
    outline.lineTo(r.bottomRight());
    outline.lineTo(r.bottomLeft());
    outline.closeSubpath();
    p.setPen(Outline());
    p.setBrush(Qt::white);
    p.drawPath(outline);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(QColor(215, 220, 226));
    p.drawPath(corner);
}

// Lines of writing filling `r`, the last one shorter.
void TextLines(QPainter& p, const QRectF& r, int count) {
    p.setPen(QPen(QColor(140, 146, 156), 1.8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i) {
        const qreal y = count == 1 ? r.center().y() : r.top() + r.height() * i / (count - 1);
        const qreal right = i == count - 1 ? r.left() + r.width() * 0.6 : r.right();
        p.drawLine(QPointF(r.left(), y), QPointF(right, y));
    }
}

void Sign(QPainter& p, const QPointF& centre, qreal size, const QColor& colour,
          const QString& sign) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(qMax(1, qRound(size)));
    p.setFont(font);
    p.setPen(colour);
    const QRectF box(centre.x() - size, centre.y() - size, 2 * size, 2 * size);
    p.drawText(box, Qt::AlignCenter, sign);
}

void Dollar(QPainter& p, const QPointF& centre, qreal size, const QColor& colour = kGreen) {
    Sign(p, centre, size, colour, "$");
}

// A person: head and shoulders, `r` the radius of the head.
void Person(QPainter& p, const QPointF& head, qreal r, const QColor& shirt) {
    p.setPen(Outline(1.3));
    p.setBrush(shirt);
    p.drawChord(QRectF(head.x() - 2.1 * r, head.y() + 1.15 * r, 4.2 * r, 4.6 * r), 0, 180 * 16);
    p.setBrush(kSkin);
    p.drawEllipse(head, r, r);
}

void Printer(QPainter& p, const QRectF& r) {
    Sheet(p, QRectF(r.left() + r.width() * 0.22, r.top(), r.width() * 0.56, r.height() * 0.4));
    p.setPen(Outline());
    p.setBrush(QColor(150, 162, 176));
    const QRectF body(r.left(), r.top() + r.height() * 0.3, r.width(), r.height() * 0.45);
    p.drawRoundedRect(body, 3, 3);
    p.setBrush(kGreen);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(body.right() - 4, body.top() + 4), 1.6, 1.6);
    const QRectF out(r.left() + r.width() * 0.16, r.top() + r.height() * 0.58, r.width() * 0.68,
                     r.height() * 0.42);
    p.setPen(Outline());
    p.setBrush(Qt::white);
    p.drawRect(out);
    TextLines(p, out.adjusted(4, out.height() * 0.45, -4, -4), 2);
}

// A cardboard box seen from above and to the right.
void Box(QPainter& p, const QRectF& r) {
    const qreal depth = r.height() * 0.3;
    const qreal front = r.width() * 0.72;
    p.setPen(Outline(1.3));
    p.setBrush(QColor(200, 137, 74));
    p.drawRect(QRectF(r.left(), r.top() + depth, front, r.height() - depth));
    QPolygonF top;
    top << QPointF(r.left(), r.top() + depth) << QPointF(r.right() - front, r.top())
        << QPointF(r.right(), r.top()) << QPointF(r.left() + front, r.top() + depth);
    p.setBrush(QColor(228, 174, 112));
    p.drawPolygon(top);
    QPolygonF side;
    side << QPointF(r.left() + front, r.top() + depth) << QPointF(r.right(), r.top())
         << QPointF(r.right(), r.bottom() - depth) << QPointF(r.left() + front, r.bottom());
    p.setBrush(QColor(168, 109, 50));
    p.drawPolygon(side);
    // The tape runs over the middle of the lid and down the front.
    p.setPen(QPen(QColor(245, 222, 179), r.width() * 0.08, Qt::SolidLine, Qt::FlatCap));
    const QPointF frontMiddle(r.left() + front / 2, r.top() + depth);
    p.drawLine(QPointF(r.right() - front / 2, r.top()), frontMiddle);
    p.drawLine(frontMiddle, frontMiddle + QPointF(0, (r.height() - depth) * 0.35));
}

void Truck(QPainter& p, const QRectF& r) {
    const qreal wheel = r.height() * 0.17;
    const qreal ground = r.bottom() - wheel;
    p.setPen(Outline(1.3));
    p.setBrush(kOrange);
    p.drawRect(QRectF(r.left(), r.top(), r.width() * 0.64, ground - r.top()));
    QPainterPath cab;
    const qreal cabLeft = r.left() + r.width() * 0.66;
    cab.moveTo(cabLeft, ground);
    cab.lineTo(cabLeft, r.top() + r.height() * 0.3);
    cab.lineTo(r.right() - r.width() * 0.12, r.top() + r.height() * 0.3);
    cab.lineTo(r.right(), r.top() + r.height() * 0.55);
    cab.lineTo(r.right(), ground);
    cab.closeSubpath();
    p.setBrush(kBlue);
    p.drawPath(cab);
    p.setBrush(QColor(200, 226, 245));
    p.drawRect(QRectF(cabLeft + r.width() * 0.05, r.top() + r.height() * 0.38, r.width() * 0.14,
                      r.height() * 0.18));
    p.setBrush(QColor(70, 70, 70));
    p.drawEllipse(QPointF(r.left() + r.width() * 0.2, ground), wheel, wheel);
    p.drawEllipse(QPointF(r.right() - r.width() * 0.16, ground), wheel, wheel);
}

void Envelope(QPainter& p, const QRectF& r) {
    p.setPen(Outline());
    p.setBrush(QColor(253, 246, 227));
    p.drawRect(r);
    p.drawLine(r.topLeft(), QPointF(r.center().x(), r.top() + r.height() * 0.58));
    p.drawLine(r.topRight(), QPointF(r.center().x(), r.top() + r.height() * 0.58));
}

void Bars(QPainter& p, const QRectF& r) {
    const qreal heights[] = {0.45, 0.75, 0.55, 1.0};
    const QColor colours[] = {kBlue, kGreen, kOrange, kRed};
    const qreal slot = r.width() / 4;
    p.setPen(Outline(1.2));
    for (int i = 0; i < 4; ++i) {
        const qreal h = (r.height() - 2) * heights[i];
        p.setBrush(colours[i]);
        p.drawRect(QRectF(r.left() + i * slot + slot * 0.15, r.bottom() - 2 - h, slot * 0.7, h));
    }
    p.setPen(Outline(1.8));
    p.drawLine(QPointF(r.left(), r.bottom() - 1), QPointF(r.right(), r.bottom() - 1));
}

// A sheet of address labels, two across and three down.
void LabelSheet(QPainter& p, const QRectF& r) {
    p.setPen(Outline());
    p.setBrush(Qt::white);
    p.drawRect(r);
    const qreal w = (r.width() - 9) / 2;
    const qreal h = (r.height() - 12) / 3;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            const QRectF label(r.left() + 3 + col * (w + 3), r.top() + 3 + row * (h + 3), w, h);
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(255, 240, 170));
            p.drawRoundedRect(label, 2, 2);
            TextLines(p, label.adjusted(3, h * 0.3, -3, -h * 0.3), 2);
        }
    }
}

// A database: a cylinder with bands.
void Cylinder(QPainter& p, const QRectF& r, const QColor& colour) {
    const qreal lid = r.height() * 0.24;
    p.setPen(Outline(1.3));
    p.setBrush(colour);
    QPainterPath body;
    body.moveTo(r.left(), r.top() + lid / 2);
    body.lineTo(r.left(), r.bottom() - lid / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - lid, r.width(), lid), 180, 180);
    body.lineTo(r.right(), r.top() + lid / 2);
    body.closeSubpath();
    p.drawPath(body);
    for (qreal band : {0.38, 0.64}) {
        const qreal y = r.top() + (r.height() - lid) * band;
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(r.left(), y, r.width(), lid), 180 * 16, 180 * 16);
    }
    p.setBrush(colour.lighter(135));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), lid));
}

void Arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour) {
    const QLineF shaft(from, to);
    const qreal head = 7;
    QLineF back(to, from);
    back.setLength(head);
    const QLineF left = QLineF::fromPolar(head, back.angle() + 35).translated(to);
    const QLineF right = QLineF::fromPolar(head, back.angle() - 35).translated(to);
    p.setPen(QPen(colour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QLineF(from, back.p2()));
    p.setPen(QPen(colour, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPolygon(QPolygonF() << to << left.p2() << right.p2());
}

// Two arrows chasing each other round a circle.
void RoundArrows(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour) {
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.setPen(QPen(colour, 3.2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    for (int start : {20, 200}) {
        p.drawArc(circle, start * 16, 130 * 16);
        const qreal end = qDegreesToRadians(qreal(start + 130));
        const QPointF tip(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
        const QPointF along(-std::sin(end), -std::cos(end));  // direction of travel on screen
        const QPointF out(std::cos(end), -std::sin(end));
        QPolygonF head;
        head << tip + along * 5 << tip + out * 4.5 << tip - out * 4.5;
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(head);
        p.setPen(QPen(colour, 3.2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
    }
}

void Cross(QPainter& p, const QPointF& centre, qreal size) {
    p.setPen(QPen(kRed, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-size, -size), centre + QPointF(size, size));
    p.drawLine(centre + QPointF(-size, size), centre + QPointF(size, -size));
}

void Pencil(QPainter& p, const QPointF& tip, qreal length) {
    p.save();
    p.translate(tip);
    p.rotate(-50);
    p.setPen(Outline(1.2));
    p.setBrush(kGold);
    p.drawRect(QRectF(6, -3, length - 10, 6));
    p.setBrush(QColor(240, 150, 150));
    p.drawRect(QRectF(length - 4, -3, 4, 6));
    p.setBrush(kSkin);
    p.drawPolygon(QPolygonF() << QPointF(0, 0) << QPointF(6, -3) << QPointF(6, 3));
    p.restore();
}

void ProgramPicture(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kTeal);
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 9, 9);
    Sheet(p, QRectF(11, 7, 24, 32));
    TextLines(p, QRectF(15, 17, 15, 10), 3);
    p.setPen(Outline(1.2));
    p.setBrush(kGold);
    p.drawEllipse(QPointF(34, 34), 8, 8);
    Dollar(p, QPointF(34, 34), 11, Qt::white);
}

void Draw(QPainter& p, Picture picture) {
    switch (picture) {
        case Picture::Program:
            ProgramPicture(p);
            break;
        case Picture::Invoice:
            Sheet(p, QRectF(6, 3, 28, 41));
            Dollar(p, QPointF(15, 12), 14);
            TextLines(p, QRectF(10, 22, 19, 15), 4);
            Pencil(p, QPointF(27, 42), 26);
            break;
        case Picture::InvoicePrint:
            Printer(p, QRectF(3, 6, 42, 38));
            Dollar(p, QPointF(24, 12), 10);
            break;
        case Picture::InvoiceLabels:
            LabelSheet(p, QRectF(5, 3, 30, 42));
            Sheet(p, QRectF(28, 22, 17, 23));
            Dollar(p, QPointF(35, 35), 10);
            break;
        case Picture::Customer:
            Person(p, QPointF(24, 15), 9, kBlue);
            break;
        case Picture::Groups:
            Person(p, QPointF(12, 15), 6, kGreen);
            Person(p, QPointF(36, 15), 6, kOrange);
            Person(p, QPointF(24, 20), 7.5, kBlue);
            break;
        case Picture::Product:
            Box(p, QRectF(5, 8, 38, 34));
            break;
        case Picture::Purchase:
            Truck(p, QRectF(2, 10, 44, 30));
            break;
        case Picture::ProductList:
            Sheet(p, QRectF(4, 3, 28, 40));
            TextLines(p, QRectF(9, 12, 17, 18), 4);
            Box(p, QRectF(24, 25, 22, 20));
            break;
        case Picture::PurchaseReport:
            Sheet(p, QRectF(4, 3, 28, 40));
            TextLines(p, QRectF(9, 12, 17, 18), 4);
            Truck(p, QRectF(19, 27, 28, 18));
            break;
        case Picture::Statements:
            Sheet(p, QRectF(3, 10, 24, 34));
            Sheet(p, QRectF(11, 7, 24, 34));
            Sheet(p, QRectF(19, 3, 25, 36));
            Dollar(p, QPointF(29, 13), 12);
            TextLines(p, QRectF(23, 22, 16, 11), 3);
            break;
        case Picture::Profile:
            Person(p, QPointF(13, 11), 7, kBlue);
            Bars(p, QRectF(20, 19, 26, 26));
            break;
        case Picture::SalesReport:
            Bars(p, QRectF(4, 10, 40, 34));
            Dollar(p, QPointF(11, 9), 14);
            break;
        case Picture::AddressLabels:
            LabelSheet(p, QRectF(8, 3, 32, 42));
            break;
        case Picture::InventoryReport:
            Bars(p, QRectF(20, 4, 26, 40));
            Box(p, QRectF(2, 20, 24, 24));
            break;
        case Picture::MailMerge:
            Envelope(p, QRectF(3, 9, 32, 22));
            Envelope(p, QRectF(13, 19, 32, 22));
            break;
        case Picture::Backup:
            Cylinder(p, QRectF(4, 6, 24, 36), kBlue);
            Arrow(p, QPointF(24, 24), QPointF(45, 24), kGreen);
            break;
        case Picture::Restore:
            Cylinder(p, QRectF(20, 6, 24, 36), kBlue);
            Arrow(p, QPointF(3, 24), QPointF(24, 24), kGreen);
            break;
        case Picture::Erase:
            Cylinder(p, QRectF(8, 5, 26, 38), kBlue);
            Cross(p, QPointF(33, 33), 8);
            break;
        case Picture::Reindex:
            Sheet(p, QRectF(5, 3, 26, 36));
            TextLines(p, QRectF(10, 12, 15, 15), 4);
            RoundArrows(p, QPointF(33, 33), 10, kGreen);
            break;
        case Picture::Pack:
            Cylinder(p, QRectF(12, 12, 24, 26), kBlue);
            Arrow(p, QPointF(24, -1), QPointF(24, 12), kOrange);
            Arrow(p, QPointF(24, 49), QPointF(24, 38), kOrange);
            break;
        case Picture::Upgrade:
            Cylinder(p, QRectF(2, 4, 18, 26), QColor(150, 150, 150));
            Cylinder(p, QRectF(27, 18, 19, 28), kBlue);
            Arrow(p, QPointF(12, 34), QPointF(26, 38), kGreen);
            break;
        case Picture::Help:
            p.setPen(Outline(1.2));
            p.setBrush(kBlue);
            p.drawEllipse(QPointF(24, 24), 20, 20);
            Sign(p, QPointF(24, 25), 28, Qt::white, "?");
            break;
    }
}

}  // namespace

QPixmap RenderPicture(Picture picture, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / kGrid, size / kGrid);
    Draw(p, picture);
    return pixmap;
}

QIcon PictureIcon(Picture picture) {
    QIcon icon;
    for (int size : {16, 24, 32, 40, 48, 64, 96}) icon.addPixmap(RenderPicture(picture, size));
    return icon;
}

QPixmap AboutPicture() {
    QPixmap pixmap(380, 150);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(20, 23, RenderPicture(Picture::Program, 104));
    QFont title;
    title.setPixelSize(38);
    title.setBold(true);
    p.setFont(title);
    p.setPen(kTeal);
    p.drawText(QRectF(142, 28, 230, 46), Qt::AlignLeft | Qt::AlignVCenter, "Corvane");
    QFont text;
    text.setPixelSize(15);
    p.setFont(text);
    p.setPen(kInk);
    p.drawText(QRectF(144, 76, 230, 22), Qt::AlignLeft | Qt::AlignVCenter, "Version 1.05");
    text.setPixelSize(12);
    p.setFont(text);
    p.drawText(QRectF(144, 100, 230, 36), Qt::AlignLeft | Qt::TextWordWrap,
               "Invoices, accounts and reports for the small business");
    return pixmap;
}
