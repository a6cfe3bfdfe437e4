#include "accounts/frmbonos.h"
#include "accounts/frmtarifas.h"
#include "admin/frmopciones.h"
#include "app/tarifascontroller.h"
#include "core/consolecontext.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testengine.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

using namespace accounts;

namespace {

// The options window on the demo with the tariff pages registered, opened by ADMIN.
struct Options {
    // sql runs on the database before the window opens; the options it
    // changes are in force as after a restart.
    explicit Options(const QString& sql = QString()) {
        for (const QString& statement : sql.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            store::run(db(), statement);
        engine.context.settings = store::runtimeSettings(store::readOpciones(db()));
        engine.context.currentOperator = QStringLiteral("ADMIN");
        window = std::make_unique<Tfrmopciones>(engine.context, engine.engine->tarifas());
        if (!window->begin())
            qFatal("options window did not open");
    }
    template <class P> P* page(int entry) {
        window->selectEntry(entry);
        return window->page(entry)->findChild<P*>() ? window->page(entry)->findChild<P*>()
                                                    : qobject_cast<P*>(window->page(entry));
    }
    QSqlDatabase db() { return engine.db.data.db(); }
    template <class W> static W* child(QDialog* d, const char* name) {
        return d->findChild<W*>(QString::fromLatin1(name));
    }
    static void type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }

    ScriptedUi ui;
    TestEngine engine;
    TarifasController controller{*engine.engine};
    std::unique_ptr<Tfrmopciones> window;
};

} // namespace

class TestTarifasPages : public QObject {
    Q_OBJECT
private slots:
    void runningStationFollowsNewPrice();
    void fixedTariffDialog();
    void deleteTariffGuards();
    void intervalsOnTheVariableTab();
    void bandGridUnderTheBandOptions();
    void bandTariffAndAutomaticChange_data();
    void bandTariffAndAutomaticChange();
    void applyKeepsWhatBandDeletionStored();
    void vouchersFollowInAccountPage();
    void amountBoxesOfEditDialogs_data();
    void amountBoxesOfEditDialogs();
};

void TestTarifasPages::runningStationFollowsNewPrice() {
    Options o;
    session::AperturaPedido p;
    p.tariffName = QStringLiteral("NORMAL"); // 1.20/h, minimum 0.50
    QVERIFY(o.engine.engine->abrirPuesto(o.engine.pos(3), p).ok());
    o.engine.tick();
    for (int i = 0; i < 30; ++i)
        o.engine.tick(60000);
    QCOMPARE(o.engine.rec(3).cost, Currency::fromCents(60));

    auto* page = o.page<TarifasPage>(4);
    QVERIFY(page);
    QCOMPARE(page->tabs()->currentIndex(), 0);
    QCOMPARE(page->fijas()->item(0, 0)->text(), QStringLiteral("NORMAL"));
    page->fijas()->selectRow(0);
    o.ui.onNextDialog([](QDialog* d) {
        if (Options::child<QLineEdit>(d, "nombre")->isEnabled())
            return int(QDialog::Rejected);
        Options::type(Options::child<QLineEdit>(d, "cosHora"), QStringLiteral("2.40"));
        Options::type(Options::child<QLineEdit>(d, "cosMin"), QStringLiteral("0"));
        // A typed "." is the regional decimal separator.
        if (Options::child<QLineEdit>(d, "cosHora")->text() != QLatin1String("2,40"))
            return int(QDialog::Rejected);
        d->accept();
        return d->result();
    });
    page->modificarFija();
    QCOMPARE(o.ui.dialogNames(), QStringList{QStringLiteral("Tfrmntarfija")});
    QCOMPARE(store::selectOne<store::Tarifa>(o.db(), QStringLiteral("WHERE NOM = 'NORMAL'"))->COS_HORA,
             Currency::fromCents(240));
    // The next tick prices the 30 minutes and one second with the new price.
    o.engine.tick();
    QCOMPARE(o.engine.rec(3).cost, Currency::fromCents(120));
}

void TestTarifasPages::fixedTariffDialog() {
    Options o;
    auto* page = o.page<TarifasPage>(4);
    const int rows = page->fijas()->rowCount();
    o.ui.onNextDialog([&o](QDialog* d) {
        d->accept(); // nothing typed
        if (d->result() == QDialog::Accepted ||
            o.ui.messageTexts().value(0) != QLatin1String("Se requiere el nombre de la tarifa."))
            return int(QDialog::Rejected);
        QTest::keyClicks(Options::child<QLineEdit>(d, "nombre"), QStringLiteral("tarde"));
        Options::type(Options::child<QLineEdit>(d, "cosHora"), QStringLiteral("1"));
        d->accept();
        if (d->result() == QDialog::Accepted ||
            o.ui.messageTexts().value(1) !=
                QStringLiteral("Es necesario introducir coste mínimo de la tarifa."))
            return int(QDialog::Rejected);
        Options::type(Options::child<QLineEdit>(d, "cosMin"), QStringLiteral("0,5"));
        d->accept();
        return d->result();
    });
    page->nuevaFija();
    QCOMPARE(o.ui.messageTexts(),
             (QStringList{QStringLiteral("Se requiere el nombre de la tarifa."),
                          QStringLiteral("Es necesario introducir coste mínimo de la tarifa.")}));
    QCOMPARE(page->fijas()->rowCount(), rows + 1);
    QCOMPARE(page->fijas()->item(rows, 0)->text(), QStringLiteral("TARDE"));
    const Ttarifas* t = o.engine.engine->tarifas().find(QStringLiteral("TARDE"));
    QVERIFY(t);
    QCOMPARE(t->minimumCost, Currency::fromCents(50));
}

void TestTarifasPages::deleteTariffGuards() {
    Options o;
    auto* page = o.page<TarifasPage>(4);
    page->fijas()->selectRow(0); // NORMAL, named by a band
    page->borrarTarifa();
    QCOMPARE(
        o.ui.messageTexts(),
        QStringList{QStringLiteral("No se puede eliminar esta tarifa.\rAlguna franja horaria la utiliza.")});
    QVERIFY(o.engine.engine->tarifas().find(QStringLiteral("NORMAL")));

    o.ui.clear();
    page->fijas()->selectRow(2); // ESTUDIANTE
    QCOMPARE(page->fijas()->item(2, 0)->text(), QStringLiteral("ESTUDIANTE"));
    session::AperturaPedido p;
    p.tariffName = QStringLiteral("ESTUDIANTE");
    QVERIFY(o.engine.engine->abrirPuesto(o.engine.pos(2), p).ok());
    page->borrarTarifa();
    QCOMPARE(o.ui.messageTexts(),
             QStringList{
                 QStringLiteral("No se puede eliminar esta tarifa.\rSe está utilizando en algún puesto.")});
    QVERIFY(o.engine.engine->cerrarPuesto(o.engine.pos(2)));
    o.engine.tick();

    o.ui.clear();
    o.ui.answerNext(ui::Answer::Yes);
    page->borrarTarifa();
    QCOMPARE(o.ui.messageTexts(), QStringList{QStringLiteral("¿ Borrar esta tarifa ?")});
    QVERIFY(!o.engine.engine->tarifas().find(QStringLiteral("ESTUDIANTE")));
    QCOMPARE(page->fijas()->rowCount(), 2);
}

void TestTarifasPages::intervalsOnTheVariableTab() {
    Options o;
    auto* page = o.page<TarifasPage>(4);
    page->tabs()->setCurrentIndex(1);
    page->variables()->selectRow(0); // PASES: 0-30, 30-60, 60-120
    QCOMPARE(page->intervalos()->rowCount(), 3);
    o.ui.onNextDialog([](QDialog* d) {
        Options::child<QSpinBox>(d, "minutos")->setValue(30);
        d->accept();
        if (d->result() == QDialog::Accepted)
            return int(QDialog::Rejected);
        Options::child<QSpinBox>(d, "minutos")->setValue(45);
        Options::type(Options::child<QLineEdit>(d, "precio"), QStringLiteral("1.50"));
        d->accept();
        return d->result();
    });
    page->nuevoIntervalo();
    QCOMPARE(o.ui.messageTexts(), QStringList{QStringLiteral("Intervalo ya existente")});
    QCOMPARE(page->intervalos()->rowCount(), 4);
    QCOMPARE(page->intervalos()->item(1, 0)->text(), QStringLiteral("30"));
    QCOMPARE(page->intervalos()->item(1, 1)->text(), QStringLiteral("45"));
    QCOMPARE(page->intervalos()->item(2, 0)->text(), QStringLiteral("45"));
    QCOMPARE(o.engine.engine->tarifas().find(QStringLiteral("PASES"))->intervals.at(1).price,
             Currency::fromCents(150));

    o.ui.clear();
    page->intervalos()->selectRow(0);
    o.ui.answerNext(ui::Answer::Yes);
    page->borrarIntervalo();
    QCOMPARE(page->intervalos()->item(0, 0)->text(), QStringLiteral("0"));
    QCOMPARE(page->intervalos()->item(0, 1)->text(), QStringLiteral("45"));
}

void TestTarifasPages::bandGridUnderTheBandOptions() {
    Options o;
    auto* bands = o.page<FranjasPage>(5);
    QVERIFY(bands);
    QVERIFY(!o.window->findChild<QWidget*>(QStringLiteral("bandListNotice")));
    auto* cambio = o.window->findChild<QComboBox*>(QStringLiteral("cambiotarifa"));
    auto* porFranjas = o.window->findChild<QComboBox*>(QStringLiteral("porfranjas"));
    QCOMPARE(bands->grid()->rowCount(), 2);
    QCOMPARE(bands->grid()->item(0, 0)->text(), QStringLiteral("20:00:00"));
    QVERIFY(cambio->isEnabled());

    bands->grid()->selectRow(0);
    o.ui.answerNext(ui::Answer::Yes);
    bands->borrarFranja();
    QCOMPARE(o.ui.messageTexts(),
             QStringList{QStringLiteral("Se eliminará la franja seleccionada ¿Continuar ?")});
    QCOMPARE(bands->grid()->rowCount(), 1);
    QCOMPARE(bands->grid()->item(0, 0)->text(), QStringLiteral("20:00:00"));
    QCOMPARE(bands->grid()->item(0, 1)->text(), QStringLiteral("20:00:00"));
    QVERIFY(!cambio->isEnabled());
    QVERIFY(!porFranjas->isEnabled());
    QCOMPARE(porFranjas->currentIndex(), 1);
    QCOMPARE(store::readOpciones(o.db()).cambiotarifa, 1);

    o.ui.clear();
    o.ui.onNextDialog([&o](QDialog* d) {
        Options::child<QTimeEdit>(d, "horaFinal")->setTime(QTime(14, 0));
        d->accept();
        if (d->result() == QDialog::Accepted ||
            o.ui.messageTexts() != QStringList{QStringLiteral("Debe de seleccionar una tarifa")})
            return int(QDialog::Rejected);
        Options::child<QComboBox>(d, "tarifa")->setCurrentText(QStringLiteral("NORMAL"));
        d->accept();
        return d->result();
    });
    bands->nuevaFranja();
    QCOMPARE(bands->grid()->rowCount(), 2);
    QCOMPARE(bands->grid()->item(0, 0)->text(), QStringLiteral("20:00:00"));
    QCOMPARE(bands->grid()->item(0, 1)->text(), QStringLiteral("14:00:00"));
    QCOMPARE(bands->grid()->item(1, 0)->text(), QStringLiteral("14:00:00"));
    QVERIFY(cambio->isEnabled());
    QVERIFY(porFranjas->isEnabled());
}

void TestTarifasPages::bandTariffAndAutomaticChange_data() {
    QTest::addColumn<QString>("tariff"); // chosen for the night band
    QTest::addColumn<int>("choice");     // "Puestos ocupados cambian de tarifa": 0 "Si ", 1 "No"
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("afterClose"); // cambiotarifa stored once the window closed
    QTest::newRow("variable, automatic change") << QStringLiteral("PASES") << 0 << true << 1;
    QTest::newRow("variable, tariff kept") << QStringLiteral("PASES") << 1 << false << 1;
    QTest::newRow("fixed, automatic change") << QStringLiteral("ESTUDIANTE") << 0 << false << 0;
    // Names compare exactly: a variable "noche" says nothing of the fixed NOCHE.
    QTest::newRow("fixed, variable of that name in lower case") << QStringLiteral("NOCHE") << 0 << false << 0;
}

void TestTarifasPages::bandTariffAndAutomaticChange() {
    QFETCH(QString, tariff);
    QFETCH(int, choice);
    QFETCH(bool, refused);
    QFETCH(int, afterClose);
    Options o(QStringLiteral("UPDATE opciones SET cambiotarifa = 0, porfranjas = 1;"
                             "INSERT INTO tarifas (NOM, TIPO) VALUES ('noche', 1)"));
    auto* bands = o.page<FranjasPage>(5);
    QCOMPARE(bands->grid()->item(0, 2)->text(), QStringLiteral("NOCHE"));
    bands->grid()->selectRow(0);
    o.ui.onNextDialog([&tariff](QDialog* d) {
        Options::child<QComboBox>(d, "tarifa")->setCurrentText(tariff);
        d->accept();
        return d->result();
    });
    bands->modificarFranja();
    QCOMPARE(bands->grid()->item(0, 2)->text(), tariff);

    o.window->findChild<QComboBox*>(QStringLiteral("cambiotarifa"))->setCurrentIndex(choice);
    o.window->findChild<QSpinBox*>(QStringLiteral("alarmaprepago"))->setValue(432);
    o.window->selectEntry(0);
    o.ui.clear();
    QCOMPARE(o.window->AplicarOpciones(), !refused);
    if (refused) {
        QCOMPARE(
            o.ui.messageTexts(),
            QStringList{QStringLiteral("Utilizando tarifas por intervalos, los puestos ocupados\rno pueden "
                                       "cambiar automáticamente de tarifa...\r\rSeleccione la opcion "
                                       "\"No\" o utilice sólo tarifas fijas")});
        QCOMPARE(o.window->currentEntry(), 5);
        QVERIFY(store::readOpciones(o.db()).alarmaprepago != 432);
        QCOMPARE(store::readOpciones(o.db()).cambiotarifa, 0);
    } else {
        QVERIFY(o.ui.messageTexts().isEmpty());
        QCOMPARE(store::readOpciones(o.db()).alarmaprepago, 432);
        QCOMPARE(store::readOpciones(o.db()).cambiotarifa, choice);
    }
    o.window->reject();
    QCOMPARE(store::readOpciones(o.db()).cambiotarifa, afterClose);
    QCOMPARE(o.engine.context.settings.cambiotarifa, afterClose);
}

void TestTarifasPages::applyKeepsWhatBandDeletionStored() {
    Options o(QStringLiteral("UPDATE opciones SET cambiotarifa = 0, porfranjas = 1, porfranjascli = 1"));
    QCOMPARE(o.engine.context.settings.porfranjas, true);
    auto* bands = o.page<FranjasPage>(5);
    QCOMPARE(bands->grid()->rowCount(), 2);
    bands->grid()->selectRow(0);
    o.ui.answerNext(ui::Answer::Yes);
    bands->borrarFranja();
    QCOMPARE(bands->grid()->rowCount(), 1);

    o.window->findChild<QSpinBox*>(QStringLiteral("alarmaprepago"))->setValue(321);
    QVERIFY(o.window->AplicarOpciones());
    const store::Opciones row = store::readOpciones(o.db());
    QCOMPARE(row.alarmaprepago, 321);
    QCOMPARE(row.cambiotarifa, 1);
    QCOMPARE(row.porfranjas, false);
    QCOMPARE(row.porfranjascli, false);
    QCOMPARE(o.engine.context.settings.cambiotarifa, 1);
    QCOMPARE(o.engine.context.settings.porfranjas, false);
}

void TestTarifasPages::vouchersFollowInAccountPage() {
    Options o;
    auto* page = o.page<BonosPage>(6);
    QVERIFY(page);
    QCOMPARE(page->grid()->rowCount(), 3);
    QCOMPARE(page->grid()->item(0, 3)->text(), QStringLiteral("1:00:00"));
    o.ui.onNextDialog([](QDialog* d) {
        Options::type(Options::child<QLineEdit>(d, "codigo"), QStringLiteral("B90"));
        Options::type(Options::child<QLineEdit>(d, "descripcion"), QStringLiteral("Hora y media"));
        Options::type(Options::child<QLineEdit>(d, "precio"), QStringLiteral("0"));
        Options::child<QSpinBox>(d, "horas")->setValue(1);
        Options::child<QSpinBox>(d, "minutos")->setValue(30);
        d->accept();
        if (d->result() == QDialog::Accepted)
            return int(QDialog::Rejected);
        Options::type(Options::child<QLineEdit>(d, "precio"), QStringLiteral("1.5"));
        d->accept();
        return d->result();
    });
    page->anadir();
    QCOMPARE(o.ui.messageTexts(), QStringList{QStringLiteral("Debe introducir un precio mayor que 0")});
    QCOMPARE(page->grid()->rowCount(), 4);
    QCOMPARE(page->grid()->item(3, 3)->text(), QStringLiteral("1:30:00"));

    auto* ini = o.window->findChild<QComboBox*>(QStringLiteral("ini_time"));
    o.window->selectEntry(1);
    QVERIFY(ini->findText(QStringLiteral("Hora y media")) >= 0);

    auto* recargas = o.page<BonosPage>(7);
    recargas->grid()->selectRow(0);
    o.ui.clear();
    o.ui.answerNext(ui::Answer::Yes);
    recargas->borrar();
    QCOMPARE(o.ui.messageTexts(), QStringList{QStringLiteral("¿Eliminar el registro seleccionado?")});
    QCOMPARE(recargas->grid()->rowCount(), 2);
    o.window->selectEntry(1);
    QCOMPARE(o.window->findChild<QComboBox*>(QStringLiteral("ini_met"))
                 ->findText(QStringLiteral("Recarga 5 euros")),
             -1);
}

void TestTarifasPages::amountBoxesOfEditDialogs_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    for (const char* dialog : {"tarifa", "recarga"}) {
        const QString box = QLatin1String(dialog) == QLatin1String("tarifa") ? "cosHora" : "precio";
        QTest::addRow("%s at the limit", dialog) << dialog << box << "999.999,99" << true;
        QTest::addRow("%s a cent past", dialog) << dialog << box << "1.000.000,00" << false;
        // Too long to read at all: it used to pass as an empty box, or as 0.
        QTest::addRow("%s beyond any amount", dialog) << dialog << box << "99999999999999999999" << false;
    }
}

void TestTarifasPages::amountBoxesOfEditDialogs() {
    QFETCH(QString, dialog);
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    ScriptedUi ui;
    const Regional regional = Regional::spanishSpain();
    std::unique_ptr<EdicionDialog> d;
    if (dialog == QLatin1String("tarifa"))
        d = std::make_unique<Tfrmntarfija>(regional, nullptr, nullptr);
    else
        d = std::make_unique<TFrmnrecargas>(regional, nullptr, nullptr);
    bool ran = false;
    d->setAction([&] {
        ran = true;
        return EdicionOutcome::done();
    });
    QLineEdit* field = d->findChild<QLineEdit*>(box);
    QVERIFY(field);
    field->setText(typed);
    d->accept();
    QCOMPARE(ran, accepted);
    QCOMPARE(d->result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (!accepted) {
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("El importe máximo es 999.999,99 €.")});
        QCOMPARE(ui.messages().first().caption, QStringLiteral("Atención"));
        QCOMPARE(d->focusWidget(), static_cast<QWidget*>(field));
    }
}

QTEST_MAIN(TestTarifasPages)
#include "tst_tarifaspages.moc"
