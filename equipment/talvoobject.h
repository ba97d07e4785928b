#pragma once
// The tile's clickable icon: a label with the pointing-hand cursor that
// opens the equipment's communication window when the tile allows it.

#include <QLabel>

class InvButton;

class TalvoObject : public QLabel
{
    Q_OBJECT
public:
    explicit TalvoObject(InvButton* tile);

signals:
    void clicked();

public slots:
    void slotClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    InvButton* tile;
};
