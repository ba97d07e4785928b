#pragma once
// The tile's clickable icon: a label with the pointing-hand cursor; a click
// while the tile's buttons are enabled opens the tile's communication window.

#include <QLabel>

class InvButton;

class TalvoObject : public QLabel
{
    Q_OBJECT
public:
    explicit TalvoObject(InvButton* tile);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    InvButton* tile;
};
