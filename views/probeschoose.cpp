#include "probeschoose.h"

#include "imagebutton.h"
#include "logging.h"
#include "ui_probeschoose.h"

ProbesChoose::ProbesChoose(QWidget* parent) : FramelessDialog(parent, OnClose::Keep), ui(new Ui::ProbesChoose)
{
    ui->setupUi(this);
    styleImageButton(ui->pushButtonApply, ":/apply.png", ":/apply.png");
    styleImageButton(ui->pushButtonClose, ":/buttonquit.png", ":/buttonquitG.png");
    QRadioButton* r[] = {ui->Choose_1, ui->Choose_2, ui->Choose_3, ui->Choose_4};
    QLabel* n[] = {ui->LabMea_1, ui->LabMea_2, ui->LabMea_3, ui->LabMea_4};
    QLabel* v[] = {ui->Mea_1, ui->Mea_2, ui->Mea_3, ui->Mea_4};
    for (int i = 0; i < probes::Count; ++i) {
        radios[i] = r[i];
        names[i] = n[i];
        values[i] = v[i];
    }
    ui->Choose_None->setChecked(true);
}

ProbesChoose::~ProbesChoose()
{
    delete ui;
}

void ProbesChoose::setTheProbemask(unsigned short m)
{
    mask = m;
    for (int i = 0; i < probes::Count; ++i) {
        const bool shown = probes::isConfigured(mask, i + 1);
        radios[i]->setVisible(shown);
        names[i]->setVisible(shown);
        values[i]->setVisible(shown);
    }
}

void ProbesChoose::setTheChosenProbe(int probe)
{
    if (probe < 0 || probe > probes::Count)
        return;
    chosen = probe;
    if (probe == 0)
        ui->Choose_None->setChecked(true);
    else
        radios[probe - 1]->setChecked(true);
}

void ProbesChoose::UpdateValues(const probes::ProbeSet& set)
{
    for (int i = 0; i < probes::Count; ++i) {
        if (!probes::isConfigured(mask, i + 1))
            continue;
        radios[i]->setText(set.names[i]);
        names[i]->setText(set.names[i]);
        values[i]->setText(probes::valueText(set.readings[i], set.units[i]));
    }
}

void ProbesChoose::ShowFor(unsigned short m, int chosenProbe)
{
    setTheProbemask(m);
    setTheChosenProbe(chosenProbe);
    show();
    raise();
}

void ProbesChoose::on_pushButtonApply_clicked()
{
    int probe = 0;
    if (!ui->Choose_None->isChecked()) {
        for (int i = 0; i < probes::Count; ++i) {
            if (radios[i]->isChecked()) {
                probe = i + 1;
                break;
            }
        }
    }
    chosen = probe;
    qCDebug(lcViews, "%s: probe %d", "on_pushButtonApply_clicked", probe);
    emit ChosenProbeApplied(probe);
    close();
}

void ProbesChoose::on_pushButtonClose_clicked()
{
    close();
}
