#pragma once
// Asks for the name of a new plant.

#include <QDialog>

namespace Ui {
class DialogPlantChoose;
}

class DialogPlantChoose : public QDialog
{
    Q_OBJECT
public:
    explicit DialogPlantChoose(QWidget* parent = nullptr);
    ~DialogPlantChoose() override;

    bool getDone() const { return done; }
    void setDone(bool on) { done = on; }
    QString getName() const { return name; }
    void SetMessage(const QString& message);
    QString getMessage() const { return message; }
    bool warningShown() const;

    // Names that are refused: characters of the forbidden class, plus "-"
    // and "," which would break the stored keys and lists.
    static bool IsForbiddenName(const QString& text);

    // Width in pixels of the frame drawn around the dialog.
    static constexpr int FrameWidth = 3;

public slots:
    void on_ButtonCheck_clicked();
    void on_ButtonCancel_clicked();
    void on_PlantName_textChanged(const QString& text);

protected:
    // A frame around the frameless dialog sets it apart from the window behind.
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::DialogPlantChoose* ui;
    QString name;
    QString message;
    bool done = false;
};
