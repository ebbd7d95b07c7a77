#include "app/mainwin.h"

#include "composer/datasources.h"
#include "launcher/enginelife.h"
#include "ui_mainwin.h"

#include <QFile>
#include <QStringListModel>

MainWin::MainWin(QWidget *parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui_MainWin>()),
      sourceProcess(nullptr),
      visualProcess(nullptr),
      queryProcess(nullptr),
      sourceName(DataSources::all().front().sourceName),
      sourceRef(DataSources::all().front().sourceRef),
      withSum(false),
      withEvo(false)
{
    // The combo box fills itself inside setupUi(), before any connection
    // exists, so its first selection does not reach dataSourceSwitched();
    // the first row's values above stand in for it.
    ui->setupUi(this);

    connect(ui->dataSourceComBox, &QComboBox::currentIndexChanged, this,
            &MainWin::dataSourceSwitched);
    connect(ui->listView, &QAbstractItemView::clicked, this, &MainWin::onListSelected);
    connect(ui->pbt_refresh, &QPushButton::clicked, this, &MainWin::onRefresh);
    connect(ui->pbt_save, &QPushButton::clicked, this, &MainWin::onSave);
    connect(ui->pbt_remove, &QPushButton::clicked, this, &MainWin::onRemove);
    connect(ui->rbt_evo, &QRadioButton::clicked, this, &MainWin::onRbtEvo);
    connect(ui->rbt_noEvo, &QRadioButton::clicked, this, &MainWin::onRbtNoEvo);
    connect(ui->cbox_sum, &QCheckBox::clicked, this, &MainWin::onCBox);
    connect(ui->pbt_launch, &QPushButton::clicked, this, &MainWin::onLaunchClicked);

    loadLibrary();
    updateSaveFileName();
}

MainWin::~MainWin()
{
    ui.reset();
    configFile.reset();
    planModel.reset();
    // The engines of every launch, and all they started, end before the
    // panel does: the newest launch's first, in this order.
    EngineLife::endAll(*this, {&sourceProcess, &visualProcess, &queryProcess});
}

// A click on a row only selects it; the list view does that by itself.
void MainWin::onListSelected(QModelIndex) { }

void MainWin::updateAllViews() { }

// The library is read once, at start; Refresh deliberately reads nothing.
void MainWin::onRefresh() { }
