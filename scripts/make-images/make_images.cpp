// Draws the console's images (buttons, tile icons, state stamps, the TPX
// synoptic parts, the full-screen pictures) and writes them as PNG files.
//
// Usage: make_images <output-folder>
// Runs without a display (QT_QPA_PLATFORM=offscreen). Text is drawn with
// DejaVu Sans, so the output is the same on every machine with that font.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTextStream>
#include <QVector>
#include <QtMath>

#include <cmath>
#include <functional>

namespace {

// One palette for everything: the synoptic bar colours of the tile plus a
// green for the hover look of every image button.
const QColor kNavy(0, 56, 117);
const QColor kSky(0, 174, 240);
const QColor kHover(46, 160, 40);
const QColor kGreen(60, 200, 20);
const QColor kBarGrey(208, 208, 208);
const QColor kRed(233, 33, 0);
const QColor kAmber(245, 160, 0);
const QColor kOrange(255, 140, 0);
const QColor kInk(45, 45, 45);
const QColor kSteel(225, 228, 232);
const QColor kSun(255, 196, 0);
const QColor kWhite(Qt::white);

using DrawFn = std::function<void(QPainter&)>;

struct Picture
{
    QString name;
    QSize size;
    DrawFn draw;
    bool unitCoordinates; // draw in a 100 x 100 box scaled to the size
};

QVector<Picture> pictures;

void add(const QString& name, QSize size, DrawFn draw, bool unitCoordinates = true)
{
    pictures.append({name, size, std::move(draw), unitCoordinates});
}

QPen roundPen(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void line(QPainter& p, const QColor& c, qreal w, QPointF a, QPointF b)
{
    p.setPen(roundPen(c, w));
    p.drawLine(a, b);
}

void polyline(QPainter& p, const QColor& c, qreal w, const QVector<QPointF>& pts)
{
    p.setPen(roundPen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF(pts));
}

void fillPolygon(QPainter& p, const QColor& c, const QVector<QPointF>& pts)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF(pts));
}

void disc(QPainter& p, const QColor& c, QPointF centre, qreal r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(centre, r, r);
}

void roundedBox(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& border,
                qreal borderWidth)
{
    p.setPen(borderWidth > 0 ? roundPen(border, borderWidth) : QPen(Qt::NoPen));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

void text(QPainter& p, const QRectF& box, const QString& s, qreal pixelSize, const QColor& c,
          bool bold = true, Qt::Alignment align = Qt::AlignCenter)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(bold);
    p.setFont(f);
    p.setPen(c);
    p.drawText(box, align, s);
}

// ---------------------------------------------------------------------------
// Image buttons: a rounded square in navy (green when hovered) with a white
// symbol. Symbols are drawn in a 100 x 100 box.

using Symbol = std::function<void(QPainter&, const QColor& background)>;

void buttonBase(QPainter& p, const QColor& base)
{
    roundedBox(p, QRectF(3, 3, 94, 94), 18, base, base.darker(130), 3);
}

void addButton(const QString& name, int side, const Symbol& symbol)
{
    for (bool hover : {false, true}) {
        const QColor base = hover ? kHover : kNavy;
        add(hover ? name + "G" : name, QSize(side, side), [=](QPainter& p) {
            buttonBase(p, base);
            symbol(p, base);
        });
    }
}

void symbolPlus(QPainter& p, const QColor&)
{
    line(p, kWhite, 12, {50, 26}, {50, 74});
    line(p, kWhite, 12, {26, 50}, {74, 50});
}

void symbolFullScreen(QPainter& p, const QColor&)
{
    const qreal lo = 24, hi = 76, arm = 17;
    polyline(p, kWhite, 9, {{lo, lo + arm}, {lo, lo}, {lo + arm, lo}});
    polyline(p, kWhite, 9, {{hi - arm, lo}, {hi, lo}, {hi, lo + arm}});
    polyline(p, kWhite, 9, {{hi, hi - arm}, {hi, hi}, {hi - arm, hi}});
    polyline(p, kWhite, 9, {{lo + arm, hi}, {lo, hi}, {lo, hi - arm}});
}

void symbolCommands(QPainter& p, const QColor& background)
{
    const qreal rows[] = {31, 50, 69};
    const qreal knobs[] = {40, 63, 47};
    for (int i = 0; i < 3; ++i) {
        line(p, kWhite, 6, {24, rows[i]}, {76, rows[i]});
        p.setPen(roundPen(kWhite, 5));
        p.setBrush(background);
        p.drawEllipse(QPointF(knobs[i], rows[i]), 7.5, 7.5);
    }
}

void symbolTools(QPainter& p, const QColor& background)
{
    line(p, kWhite, 14, {30, 70}, {58, 42});
    disc(p, kWhite, {64, 36}, 18);
    disc(p, background, {75, 25}, 9.5); // the jaw's opening
    disc(p, background, {30, 70}, 3.5); // hanging hole
}

void symbolDown(QPainter& p, const QColor&)
{
    polyline(p, kWhite, 10, {{32, 36}, {50, 54}, {68, 36}});
    line(p, kWhite, 9, {30, 72}, {70, 72});
}

void symbolCross(QPainter& p, const QColor&)
{
    line(p, kWhite, 11, {32, 32}, {68, 68});
    line(p, kWhite, 11, {68, 32}, {32, 68});
}

void symbolTick(QPainter& p, const QColor&)
{
    polyline(p, kWhite, 12, {{27, 52}, {43, 68}, {74, 34}});
}

void symbolLeft(QPainter& p, const QColor&)
{
    line(p, kWhite, 10, {30, 50}, {73, 50});
    polyline(p, kWhite, 10, {{47, 32}, {29, 50}, {47, 68}});
}

void symbolWarning(QPainter& p, const QColor&)
{
    p.setPen(roundPen(kWhite, 7));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF({{50, 18}, {82, 76}, {18, 76}}));
    line(p, kWhite, 8, {50, 39}, {50, 57});
    disc(p, kWhite, {50, 66.5}, 4.8);
}

void symbolGraphs(QPainter& p, const QColor&)
{
    polyline(p, kWhite, 6, {{24, 22}, {24, 77}, {79, 77}});
    polyline(p, kWhite, 7, {{31, 63}, {45, 46}, {57, 55}, {74, 29}});
}

void symbolGauge(QPainter& p, const QColor&)
{
    p.setPen(roundPen(kWhite, 8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(18, 26, 64, 64), 0, 180 * 16);
    for (int deg : {30, 60, 90, 120, 150}) {
        const qreal a = qDegreesToRadians(qreal(deg));
        const QPointF c(50, 58);
        line(p, kWhite, 4, c + QPointF(std::cos(a) * 22, -std::sin(a) * 22),
             c + QPointF(std::cos(a) * 27, -std::sin(a) * 27));
    }
    line(p, kWhite, 6, {50, 58}, {67, 39});
    disc(p, kWhite, {50, 58}, 7);
    line(p, kWhite, 6, {22, 74}, {78, 74});
}

// Probe button: thermometer with a badge holding the number of probes.
// selected: a probe is chosen (amber badge); hover: green button.
void addProbeButton(const QString& name, int count, int look)
{
    const bool hover = look == 2;
    const bool chosen = look == 1;
    add(name + QString::number(look) + ".png", QSize(30, 30), [=](QPainter& p) {
        const QColor base = hover ? kHover : kNavy;
        buttonBase(p, base);
        p.setPen(roundPen(kWhite, 7));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(25, 14, 16, 52), 8, 8);
        line(p, kWhite, 6, {33, 40}, {33, 66});
        disc(p, kWhite, {33, 74}, 13);
        const QColor badge = chosen ? kAmber : kWhite;
        p.setPen(roundPen(base, 4));
        p.setBrush(badge);
        p.drawEllipse(QPointF(68, 34), 23, 23);
        text(p, QRectF(45, 11, 46, 46), QString::number(count), 34, chosen ? kWhite : base);
    });
}

// ---------------------------------------------------------------------------
// State stamps (22 x 22): a coloured disc with a white mark.

void addStamp(const QString& name, const QColor& colour, const std::function<void(QPainter&)>& mark)
{
    add(name, QSize(22, 22), [=](QPainter& p) {
        roundedBox(p, QRectF(4, 4, 92, 92), 46, colour, colour.darker(125), 4);
        mark(p);
    });
}

// ---------------------------------------------------------------------------
// Equipment icons (81 x 81).

struct CabinetLook
{
    QColor body;
    QColor accent;
};

const CabinetLook kStandardLook{kSteel, kNavy};
const CabinetLook kAlternativeLook{QColor(248, 248, 248), QColor(0, 140, 120)};

void cabinetDoor(QPainter& p, const QRectF& r, const CabinetLook& look, bool display)
{
    roundedBox(p, r, 3, look.body, kInk, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(look.accent);
    p.drawRect(QRectF(r.left() + 1.2, r.top() + 1.2, r.width() - 2.4, 11));
    const qreal x0 = r.left() + 8, x1 = r.right() - 8;
    if (display) {
        roundedBox(p, QRectF(x0, r.top() + 20, x1 - x0, 15), 2, QColor(20, 40, 60), kInk, 1.5);
        line(p, kGreen, 2.5, {x0 + 4, r.top() + 31}, {x0 + (x1 - x0) * 0.45, r.top() + 24});
        line(p, kGreen, 2.5, {x0 + (x1 - x0) * 0.45, r.top() + 24}, {x1 - 4, r.top() + 28});
        disc(p, kGreen, {x1 - 2, r.top() + 42}, 2.6);
    }
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + 52 + i * 6;
        line(p, QColor(130, 135, 140), 2.2, {x0, y}, {x1, y});
    }
    line(p, kInk, 2.5, {r.right() - 5, r.top() + 40}, {r.right() - 5, r.top() + 46}); // handle
}

void drawCabinet(QPainter& p, const CabinetLook& look)
{
    cabinetDoor(p, QRectF(28, 6, 44, 84), look, true);
    roundedBox(p, QRectF(24, 90, 52, 5), 1.5, QColor(90, 90, 95), kInk, 0);
}

void drawLargeCabinet(QPainter& p, const CabinetLook& look)
{
    cabinetDoor(p, QRectF(6, 6, 43, 84), look, true);
    cabinetDoor(p, QRectF(51, 6, 43, 84), look, false);
    roundedBox(p, QRectF(3, 90, 94, 5), 1.5, QColor(90, 90, 95), kInk, 0);
}

void drawZeta(QPainter& p)
{
    for (int i = 0; i < 5; ++i) { // cooling fins on both sides
        const qreal y = 26 + i * 11;
        line(p, QColor(150, 155, 160), 3, {10, y}, {16, y});
        line(p, QColor(150, 155, 160), 3, {84, y}, {90, y});
    }
    roundedBox(p, QRectF(16, 10, 68, 80), 8, QColor(246, 247, 249), kInk, 2.5);
    QPainterPath band;
    band.setFillRule(Qt::WindingFill);
    band.addRoundedRect(QRectF(17.2, 11.2, 65.6, 20), 7, 7);
    band.addRect(QRectF(17.2, 22, 65.6, 9.2));
    p.setPen(Qt::NoPen);
    p.setBrush(kSky);
    p.drawPath(band.simplified());
    disc(p, kWhite, {28, 21}, 2.5);
    disc(p, kGreen, {36, 21}, 2.5);
    polyline(p, kNavy, 7, {{36, 40}, {64, 40}, {36, 68}, {64, 68}});
    roundedBox(p, QRectF(36, 76, 28, 8), 2, QColor(20, 40, 60), kInk, 1.2);
}

void drawStringBox(QPainter& p)
{
    const QColor cables[] = {kRed, kInk, kRed, kInk};
    for (int i = 0; i < 4; ++i) {
        const qreal x = 27 + i * 15;
        line(p, cables[i], 4, {x, 78}, {x, 95});
        roundedBox(p, QRectF(x - 4, 74, 8, 7), 1.5, QColor(90, 90, 95), kInk, 0);
    }
    roundedBox(p, QRectF(12, 12, 76, 64), 5, QColor(236, 237, 239), kInk, 2.5);
    line(p, QColor(150, 155, 160), 2, {14, 24}, {86, 24});
    roundedBox(p, QRectF(36, 15, 28, 6), 1.5, kNavy, kNavy, 0);
    for (int i = 0; i < 4; ++i) {
        const qreal x = 27 + i * 15;
        roundedBox(p, QRectF(x - 5, 32, 10, 30), 2, QColor(70, 72, 78), kInk, 1.2);
        roundedBox(p, QRectF(x - 3, 36, 6, 8), 1, kSun, kSun, 0);
        disc(p, kWhite, {x, 55}, 1.8);
    }
    line(p, kOrange, 3, {18, 68}, {82, 68}); // DC bus bar
}

// ---------------------------------------------------------------------------
// Measures window pictures.

QPointF lerp(QPointF a, QPointF b, qreal t)
{
    return a + (b - a) * t;
}

void drawSolarPanel(QPainter& p)
{
    disc(p, kSun, {17, 17}, 9);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        line(p, kSun, 2.5, QPointF(17 + std::cos(a) * 12, 17 + std::sin(a) * 12),
             QPointF(17 + std::cos(a) * 16, 17 + std::sin(a) * 16));
    }
    line(p, QColor(110, 115, 125), 4, {38, 60}, {38, 86});
    line(p, QColor(110, 115, 125), 4, {77, 38}, {77, 86});
    line(p, QColor(150, 155, 160), 3, {16, 88}, {92, 88});
    const QPointF bl(10, 62), tl(40, 20), tr(94, 20), br(64, 62);
    p.setPen(roundPen(QColor(190, 195, 200), 3));
    p.setBrush(QColor(20, 70, 140));
    p.drawPolygon(QPolygonF({bl, tl, tr, br}));
    const int rows = 3, cols = 5;
    for (int r = 1; r < rows; ++r) {
        const qreal t = qreal(r) / rows;
        line(p, kSky, 1.6, lerp(bl, tl, t), lerp(br, tr, t));
    }
    for (int c = 1; c < cols; ++c) {
        const qreal t = qreal(c) / cols;
        line(p, kSky, 1.6, lerp(bl, br, t), lerp(tl, tr, t));
    }
}

void drawPylon(QPainter& p)
{
    const QColor steel(70, 75, 85);
    // Wires, behind the tower.
    p.setPen(roundPen(kSky, 1.8));
    p.setBrush(Qt::NoBrush);
    for (qreal y : {30.0, 46.0}) {
        for (qreal x : {y < 40 ? 20.0 : 27.0, y < 40 ? 80.0 : 73.0}) {
            const qreal edge = x < 50 ? 0 : 100;
            QPainterPath wire(QPointF(x, y + 6));
            wire.quadTo(QPointF((x + edge) / 2, y + 16), QPointF(edge, y + 10));
            p.drawPath(wire);
        }
    }
    const QPointF apex(50, 6), la(44, 18), ra(56, 18), lb(28, 94), rb(72, 94);
    polyline(p, steel, 3, {la, apex, ra});
    line(p, steel, 3.2, la, lb);
    line(p, steel, 3.2, ra, rb);
    const qreal levels[] = {0.0, 0.2, 0.42, 0.68, 1.0};
    for (int i = 0; i + 1 < 5; ++i) {
        const QPointF l0 = lerp(la, lb, levels[i]), r0 = lerp(ra, rb, levels[i]);
        const QPointF l1 = lerp(la, lb, levels[i + 1]), r1 = lerp(ra, rb, levels[i + 1]);
        line(p, steel, 1.8, l0, r1);
        line(p, steel, 1.8, r0, l1);
        line(p, steel, 2.2, l1, r1);
    }
    line(p, steel, 3.2, {18, 24}, {82, 24}); // upper cross-arm
    line(p, steel, 3.2, {25, 40}, {75, 40}); // lower cross-arm
    for (qreal x : {20.0, 80.0, 27.0, 73.0}) {
        const qreal y = (x == 20.0 || x == 80.0) ? 24 : 40;
        line(p, QColor(120, 125, 135), 2.5, {x, y}, {x, y + 6});
        disc(p, kNavy, {x, y + 6}, 2.2);
    }
}

void drawHouse(QPainter& p)
{
    roundedBox(p, QRectF(66, 16, 10, 20), 1, QColor(150, 60, 40), kInk, 2);
    roundedBox(p, QRectF(17, 44, 66, 48), 1, QColor(248, 242, 226), kInk, 3);
    p.setPen(roundPen(kInk, 3));
    p.setBrush(QColor(205, 72, 40));
    p.drawPolygon(QPolygonF({{6, 48}, {50, 10}, {94, 48}}));
    roundedBox(p, QRectF(44, 62, 16, 30), 1, QColor(130, 85, 45), kInk, 2.5);
    for (qreal x : {24.0, 66.0}) {
        roundedBox(p, QRectF(x, 56, 12, 12), 1, kSky, kInk, 2);
        line(p, kWhite, 1.5, {x + 6, 57}, {x + 6, 67});
        line(p, kWhite, 1.5, {x + 1, 62}, {x + 11, 62});
    }
}

void drawFlowArrow(QPainter& p, const QColor& c, const QSize& s)
{
    const qreal mid = s.height() / 2.0;
    line(p, c, s.height() * 0.38, {s.height() * 0.2, mid}, {s.width() - s.height() * 1.2, mid});
    fillPolygon(p, c,
                {{s.width() - s.height() * 1.3, 0.5},
                 {s.width() - 0.5, mid},
                 {s.width() - s.height() * 1.3, s.height() - 0.5}});
}

// ---------------------------------------------------------------------------
// TPX synoptic parts (35 x 35 blocks, 10 x 10 path pieces, the battery joint).

struct StateLook
{
    const char* suffix;
    QColor ink;
    QColor fill;
};

const StateLook kBlack{"nero", kInk, kWhite};
const StateLook kGreyLook{"grigio", QColor(170, 170, 170), QColor(238, 238, 238)};
const StateLook kOrangeLook{"arancio", kOrange, QColor(255, 240, 220)};
const StateLook kRedLook{"rosso", kRed, QColor(255, 226, 220)};

void sineMark(QPainter& p, const QColor& c, QPointF centre)
{
    QPainterPath wave(centre + QPointF(-14, 0));
    wave.cubicTo(centre + QPointF(-9, -12), centre + QPointF(-3, -12), centre);
    wave.cubicTo(centre + QPointF(3, 12), centre + QPointF(9, 12), centre + QPointF(14, 0));
    p.setPen(roundPen(c, 5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

void dcMark(QPainter& p, const QColor& c, QPointF centre)
{
    line(p, c, 5, centre + QPointF(-13, -5), centre + QPointF(13, -5));
    line(p, c, 5, centre + QPointF(-13, 5), centre + QPointF(13, 5));
}

void tpxBox(QPainter& p, const StateLook& look)
{
    roundedBox(p, QRectF(6, 6, 88, 88), 12, look.fill, look.ink, 6);
}

void converter(QPainter& p, const StateLook& look, bool acIn)
{
    tpxBox(p, look);
    line(p, look.ink, 4, {10, 90}, {90, 10});
    if (acIn) {
        sineMark(p, look.ink, {32, 32});
        dcMark(p, look.ink, {68, 68});
    } else {
        dcMark(p, look.ink, {32, 32});
        sineMark(p, look.ink, {68, 68});
    }
}

void battery(QPainter& p, const StateLook& look)
{
    tpxBox(p, look);
    roundedBox(p, QRectF(40, 22, 20, 8), 2, look.ink, look.ink, 0);
    roundedBox(p, QRectF(26, 30, 48, 50), 5, look.fill, look.ink, 5);
    line(p, look.ink, 5, {50, 42}, {50, 56});
    line(p, look.ink, 5, {43, 49}, {57, 49});
    line(p, look.ink, 5, {43, 68}, {57, 68});
}

void bypassSwitch(QPainter& p, const StateLook& look)
{
    tpxBox(p, look);
    line(p, look.ink, 5, {16, 62}, {32, 62});
    line(p, look.ink, 5, {36, 62}, {64, 38});
    line(p, look.ink, 5, {70, 62}, {84, 62});
    disc(p, look.ink, {34, 62}, 5);
    disc(p, look.ink, {68, 62}, 5);
}

void rightTriangle(QPainter& p, const QColor& c)
{
    fillPolygon(p, c, {{1, 0.5}, {9.5, 5}, {1, 9.5}});
}

// A 10 x 10 path piece with one rounded outer corner.
void corner(QPainter& p, const QColor& c, bool topRight)
{
    QPainterPath piece;
    if (topRight) {
        piece.moveTo(0, 0);
        piece.lineTo(4, 0);
        piece.quadTo(10, 0, 10, 6);
        piece.lineTo(10, 10);
        piece.lineTo(0, 10);
    } else {
        piece.moveTo(0, 0);
        piece.lineTo(10, 0);
        piece.lineTo(10, 10);
        piece.lineTo(6, 10);
        piece.quadTo(0, 10, 0, 4);
    }
    piece.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(piece);
}

// Battery joint, 8 x 19: a white arrow on the battery segment.
void jointArrow(QPainter& p, bool up)
{
    if (!up) {
        p.translate(0, 19);
        p.scale(1, -1);
    }
    line(p, kWhite, 2.4, {4, 6}, {4, 17.5});
    fillPolygon(p, kWhite, {{0.3, 7.5}, {4, 0.8}, {7.7, 7.5}});
}

// ---------------------------------------------------------------------------
// Plant window top bar and the full-screen pictures.

void drawSunMotif(QPainter& p, QPointF c, qreal r, const QColor& colour)
{
    disc(p, colour, c, r);
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        line(p, colour, r * 0.28, c + QPointF(std::cos(a), std::sin(a)) * r * 1.35,
             c + QPointF(std::cos(a), std::sin(a)) * r * 1.75);
    }
}

void drawTopBar(QPainter& p, const QSize& s)
{
    QLinearGradient g(0, 0, 0, s.height());
    g.setColorAt(0, QColor(0, 84, 160));
    g.setColorAt(1, QColor(0, 38, 88));
    p.fillRect(QRect(QPoint(0, 0), s), g);
    p.fillRect(QRectF(0, 0, s.width(), 1), QColor(255, 255, 255, 50));
    p.fillRect(QRectF(0, s.height() - 3, s.width(), 3), kSky);
    // Small sun over a panel between the power figures and the clock.
    const QPointF c(720, 22);
    drawSunMotif(p, c, 5.5, QColor(255, 196, 0, 220));
    const QPointF bl(707, 47), tl(712, 36), tr(735, 36), br(730, 47);
    p.setPen(roundPen(QColor(255, 255, 255, 150), 1.2));
    p.setBrush(QColor(0, 174, 240, 110));
    p.drawPolygon(QPolygonF({bl, tl, tr, br}));
    line(p, QColor(255, 255, 255, 120), 1, lerp(bl, tl, 0.5), lerp(br, tr, 0.5));
    line(p, QColor(255, 255, 255, 120), 1, lerp(bl, br, 0.5), lerp(tl, tr, 0.5));
}

void drawLogo(QPainter& p, const QSize& s)
{
    const qreal h = s.height();
    drawSunMotif(p, QPointF(h * 0.5, h * 0.5), h * 0.22, kSun);
    text(p, QRectF(h * 1.0, h * 0.08, s.width() - h, h * 0.55), "VELORA", h * 0.46, kWhite, true,
         Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(h * 1.02, h * 0.58, s.width() - h, h * 0.32), "DATA CONTROL", h * 0.2, kSky, true,
         Qt::AlignLeft | Qt::AlignVCenter);
}

void drawEarth(QPainter& p)
{
    const QPointF c(50, 50);
    const qreal r = 46;
    disc(p, QColor(0, 174, 240, 60), c, r + 3); // atmosphere
    QRadialGradient sea(QPointF(38, 36), 62);
    sea.setColorAt(0, QColor(70, 160, 235));
    sea.setColorAt(1, QColor(8, 55, 130));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(c, r, r);
    QPainterPath globe;
    globe.addEllipse(c, r, r);
    p.save();
    p.setClipPath(globe);
    const QColor land(80, 170, 80);
    const QVector<QVector<QPointF>> continents = {
        {{20, 22}, {34, 14}, {46, 18}, {44, 30}, {36, 36}, {32, 48}, {24, 44}, {16, 34}},
        {{34, 52}, {44, 54}, {46, 66}, {40, 82}, {34, 80}, {32, 66}},
        {{56, 18}, {72, 14}, {88, 24}, {92, 38}, {80, 42}, {70, 36}, {60, 34}},
        {{58, 44}, {72, 46}, {76, 58}, {70, 76}, {62, 70}, {56, 56}},
        {{80, 64}, {92, 62}, {94, 74}, {84, 78}},
    };
    p.setPen(roundPen(land.darker(115), 1));
    p.setBrush(land);
    for (const QVector<QPointF>& shape : continents) {
        QPainterPath path(shape.first());
        for (int i = 1; i <= shape.size(); ++i) {
            const QPointF a = shape[i - 1], b = shape[i % shape.size()];
            path.quadTo(a, (a + b) / 2);
        }
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(255, 255, 255, 45), 0.8));
    p.setBrush(Qt::NoBrush);
    for (qreal w : {14.0, 30.0, 42.0})
        p.drawEllipse(c, w, r);
    for (qreal y : {-30.0, -15.0, 0.0, 15.0, 30.0}) {
        const qreal half = std::sqrt(r * r - y * y);
        p.drawLine(QPointF(50 - half, 50 + y), QPointF(50 + half, 50 + y));
    }
    p.restore();
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
}

void drawTree(QPainter& p)
{
    roundedBox(p, QRectF(44, 58, 12, 36), 2, QColor(125, 85, 45), QColor(125, 85, 45), 0);
    const QColor leaf(60, 175, 65);
    for (const auto& [x, y, r] :
         {std::tuple{50.0, 30.0, 22.0}, {32.0, 48.0, 18.0}, {68.0, 48.0, 18.0}, {50.0, 56.0, 17.0}})
        disc(p, leaf, {x, y}, r);
    disc(p, leaf.lighter(125), {42, 24}, 7);
}

void drawBarrel(QPainter& p)
{
    const QColor body(55, 105, 170);
    roundedBox(p, QRectF(22, 12, 56, 80), 8, body, body.darker(140), 2.5);
    for (qreal y : {30.0, 74.0})
        line(p, QColor(130, 170, 215), 4, {24, y}, {76, y});
    roundedBox(p, QRectF(28, 10, 44, 6), 3, body.darker(130), body.darker(130), 0);
    QPainterPath drop(QPointF(50, 38));
    drop.cubicTo(QPointF(56, 48), QPointF(62, 54), QPointF(62, 60));
    drop.cubicTo(QPointF(62, 68), QPointF(56, 72), QPointF(50, 72));
    drop.cubicTo(QPointF(44, 72), QPointF(38, 68), QPointF(38, 60));
    drop.cubicTo(QPointF(38, 54), QPointF(44, 48), QPointF(50, 38));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 190, 0));
    p.drawPath(drop);
}

void drawCloud(QPainter& p)
{
    QPainterPath cloud;
    cloud.setFillRule(Qt::WindingFill);
    cloud.addEllipse(QPointF(34, 56), 20, 18);
    cloud.addEllipse(QPointF(52, 42), 24, 24);
    cloud.addEllipse(QPointF(70, 56), 20, 18);
    cloud.addRoundedRect(QRectF(14, 50, 76, 24), 12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(215, 222, 230));
    p.drawPath(cloud.simplified());
    text(p, QRectF(20, 40, 50, 34), "CO", 24, QColor(60, 65, 75), true, Qt::AlignRight | Qt::AlignVCenter);
    text(p, QRectF(71, 54, 16, 20), "2", 14, QColor(60, 65, 75), true, Qt::AlignLeft | Qt::AlignVCenter);
}

void drawWarningTriangle(QPainter& p)
{
    p.setPen(roundPen(kInk, 5));
    p.setBrush(QColor(255, 204, 0));
    p.drawPolygon(QPolygonF({{40.5, 8}, {77, 80}, {4, 80}}));
    line(p, kInk, 9, {40.5, 33}, {40.5, 57});
    disc(p, kInk, {40.5, 69}, 5.2);
}

void drawRemote(QPainter& p)
{
    roundedBox(p, QRectF(4, 10, 92, 64), 8, kNavy, kNavy, 0);
    roundedBox(p, QRectF(14, 20, 72, 44), 3, kSky, kSky, 0);
    fillPolygon(p, kWhite, {{40, 30}, {62, 42}, {40, 54}}); // remote session "play" mark
    p.fillRect(QRectF(42, 74, 16, 12), kNavy);
    roundedBox(p, QRectF(24, 84, 52, 10), 4, kNavy, kNavy, 0);
}

void registerAll()
{
    // Plant window side buttons and other 40 x 40 buttons.
    addButton("Add", 40, symbolPlus);
    addButton("buttonFullScreen", 40, symbolFullScreen);
    addButton("commands", 40, symbolCommands);
    addButton("Tools", 40, symbolTools);
    addButton("Down", 40, symbolDown);
    addButton("buttonquit", 40, symbolCross);
    addButton("apply", 40, symbolTick);
    addButton("Left", 40, symbolLeft);
    // Tile buttons, 30 x 30.
    addButton("ico-Warn", 30, symbolWarning);
    addButton("graphs30x30", 30, symbolGraphs);
    addButton("myGauge", 30, symbolGauge);
    const char* probeNames[] = {"Zero", "Uno", "Due", "Tre", "Quattro"};
    for (int n = 0; n < 5; ++n)
        for (int look = 0; look < 3; ++look)
            addProbeButton(probeNames[n], n, look);

    addStamp("yes.png", QColor(40, 170, 60), [](QPainter& p) {
        polyline(p, kWhite, 13, {{27, 52}, {43, 68}, {73, 34}});
    });
    addStamp("no.png", kRed, [](QPainter& p) {
        line(p, kWhite, 13, {33, 33}, {67, 67});
        line(p, kWhite, 13, {67, 33}, {33, 67});
    });
    addStamp("wait.png", kAmber, [](QPainter& p) {
        line(p, kWhite, 8, {30, 24}, {70, 24});
        line(p, kWhite, 8, {30, 76}, {70, 76});
        fillPolygon(p, kWhite, {{35, 28}, {65, 28}, {50, 50}});
        fillPolygon(p, kWhite, {{35, 72}, {65, 72}, {50, 50}});
    });
    add("remote.png", QSize(16, 16), drawRemote);
    add("Warn.png", QSize(81, 91), drawWarningTriangle, false);

    add("centr.png", QSize(81, 81), [](QPainter& p) { drawCabinet(p, kStandardLook); });
    add("centrB.png", QSize(81, 81), [](QPainter& p) { drawCabinet(p, kAlternativeLook); });
    add("centr2.png", QSize(81, 81), [](QPainter& p) { drawLargeCabinet(p, kStandardLook); });
    add("centr2B.png", QSize(81, 81), [](QPainter& p) { drawLargeCabinet(p, kAlternativeLook); });
    add("ZETA.png", QSize(81, 81), drawZeta);
    add("StringBox_01.png", QSize(81, 81), drawStringBox);

    add("Pannello2.png", QSize(80, 80), drawSolarPanel);
    add("Grid3.png", QSize(80, 80), drawPylon);
    add("house.png", QSize(60, 60), drawHouse);
    const QSize arrow(120, 16);
    add(
        "ArrowOrange1.png", arrow, [=](QPainter& p) { drawFlowArrow(p, kOrange, arrow); }, false);
    add(
        "ArrowBlue1.png", arrow, [=](QPainter& p) { drawFlowArrow(p, QColor(0, 120, 215), arrow); }, false);

    for (const StateLook& look : {kBlack, kGreyLook, kOrangeLook})
        add(QString("raddr_%1.png").arg(look.suffix), QSize(35, 35),
            [=](QPainter& p) { converter(p, look, true); });
    // The grey inverter draws the synoptic of a unit that is not connected.
    for (const StateLook& look : {kBlack, kGreyLook, kOrangeLook, kRedLook})
        add(QString("inv_%1.png").arg(look.suffix), QSize(35, 35),
            [=](QPainter& p) { converter(p, look, false); });
    for (const StateLook& look : {kBlack, kGreyLook}) {
        add(QString("batt_%1.png").arg(look.suffix), QSize(35, 35), [=](QPainter& p) { battery(p, look); });
        add(QString("byp_%1.png").arg(look.suffix), QSize(35, 35),
            [=](QPainter& p) { bypassSwitch(p, look); });
    }
    const QSize piece(10, 10);
    const struct
    {
        const char* name;
        QColor colour;
    } triangles[] = {
        {"Bianco", kWhite}, {"Grigio", kBarGrey}, {"Azzurro", kSky}, {"Blu", kNavy}, {"Rosso", kRed}};
    for (const auto& t : triangles) {
        const QColor c = t.colour;
        add(
            QString("Triangolo%1.png").arg(t.name), piece, [=](QPainter& p) { rightTriangle(p, c); }, false);
    }
    add(
        "L_DOWN.png", piece, [](QPainter& p) { corner(p, kNavy, true); }, false);
    add(
        "L_DOWN_G.png", piece, [](QPainter& p) { corner(p, kBarGrey, true); }, false);
    add(
        "L_DOWN_R.png", piece, [](QPainter& p) { corner(p, kRed, true); }, false);
    add(
        "UP_R_B.png", piece, [](QPainter& p) { corner(p, kNavy, false); }, false);
    add(
        "UP_R_R.png", piece, [](QPainter& p) { corner(p, kRed, false); }, false);
    add(
        "SQ_GRAY.png", piece, [](QPainter& p) { p.fillRect(QRectF(0, 0, 10, 10), kBarGrey); }, false);
    // The battery sits below the DC bus: discharging sends power up to the
    // bus, charging sends it down into the battery.
    add(
        "AD.png", QSize(8, 19), [](QPainter& p) { jointArrow(p, true); }, false);
    add(
        "AU.png", QSize(8, 19), [](QPainter& p) { jointArrow(p, false); }, false);

    const QSize bar(929, 59);
    add(
        "topbarR.png", bar, [=](QPainter& p) { drawTopBar(p, bar); }, false);
    const QSize logo(320, 96);
    add(
        "Logo.png", logo, [=](QPainter& p) { drawLogo(p, logo); }, false);
    add("Earth.png", QSize(300, 300), drawEarth);
    add("fs_tree.png", QSize(100, 100), drawTree);
    add("fs_oil.png", QSize(100, 100), drawBarrel);
    add("fs_co2.png", QSize(100, 100), drawCloud);
}

QImage render(const Picture& picture)
{
    QImage image(picture.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    if (picture.unitCoordinates)
        p.scale(picture.size.width() / 100.0, picture.size.height() / 100.0);
    picture.draw(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make_images <output-folder>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.absolutePath())) {
        err << "cannot create " << out.absolutePath() << "\n";
        return 1;
    }
    registerAll();
    for (const Picture& picture : pictures) {
        const QString name = picture.name.endsWith(".png") ? picture.name : picture.name + ".png";
        if (!render(picture).save(out.filePath(name), "PNG")) {
            err << "cannot write " << out.filePath(name) << "\n";
            return 1;
        }
    }
    QTextStream(stdout) << pictures.size() << " images written to " << out.absolutePath() << "\n";
    return 0;
}
