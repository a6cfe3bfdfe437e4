#include "app/commandline.h"

namespace app {

bool CommandLine::validConsoleName(const QString& name) {
    return !name.isEmpty() && name.size() <= MaxConsoleName && name.trimmed() == name;
}

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine cl;
    bool newDatabaseGiven = false;
    bool copyGiven = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        auto value = [&](const QString& option) -> QString {
            if (i + 1 >= arguments.size()) {
                cl.error = QStringLiteral("Falta el valor de %1").arg(option);
                return QString();
            }
            return arguments.at(++i);
        };
        if (a == QLatin1String("--home")) {
            cl.home = value(a);
        } else if (a.startsWith(QLatin1String("--home="))) {
            cl.home = a.mid(7);
        } else if (a == QLatin1String("--new-database")) {
            cl.newDatabase = value(a);
            newDatabaseGiven = true;
        } else if (a.startsWith(QLatin1String("--new-database="))) {
            cl.newDatabase = a.mid(15);
            newDatabaseGiven = true;
        } else if (a == QLatin1String("--database")) {
            cl.database = value(a);
        } else if (a.startsWith(QLatin1String("--database="))) {
            cl.database = a.mid(11);
        } else if (a == QLatin1String("--copy-database")) {
            cl.copyFrom = value(a);
            if (cl.error.isEmpty())
                cl.copyTo = value(a);
            copyGiven = true;
        } else if (a == QLatin1String("--console")) {
            cl.console = value(a);
            if (cl.error.isEmpty() && !validConsoleName(cl.console))
                cl.error =
                    QStringLiteral("Nombre de consola no válido: «%1» (de 1 a %2 caracteres, sin espacios "
                                   "al principio ni al final)")
                        .arg(cl.console)
                        .arg(MaxConsoleName);
        } else if (a == QLatin1String("--headless")) {
            cl.headless = true;
        } else if (a == QLatin1String("--screenshots")) {
            cl.screenshots = value(a);
        } else if (a == QLatin1String("--demo")) {
            cl.demo = true;
        } else if (a == QLatin1String("--lang") || a.startsWith(QLatin1String("--lang="))) {
            const QString lang = a == QLatin1String("--lang") ? value(a) : a.mid(7);
            if (lang == QLatin1String("en"))
                cl.english = true;
            else if (lang != QLatin1String("es") && cl.error.isEmpty())
                cl.error = QStringLiteral("Idioma desconocido: %1 (use es o en)").arg(lang);
        } else if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
            cl.showVersion = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.showHelp = true;
        } else if (a.startsWith(QLatin1String("-platform")) || a.startsWith(QLatin1String("-style"))) {
            ++i; // Qt's own options take a value
        } else if (cl.error.isEmpty()) {
            cl.error = QStringLiteral("Opción desconocida: %1").arg(a);
        }
        if (!cl.error.isEmpty())
            break;
    }
    if (cl.error.isEmpty() && newDatabaseGiven && cl.newDatabase.trimmed().isEmpty())
        cl.error = QStringLiteral("Falta el nombre del fichero de --new-database");
    if (cl.error.isEmpty() && copyGiven && (cl.copyFrom.trimmed().isEmpty() || cl.copyTo.trimmed().isEmpty()))
        cl.error = QStringLiteral("--copy-database necesita el origen y el destino: --copy-database FROM TO");
    if (cl.error.isEmpty() && copyGiven && newDatabaseGiven)
        cl.error = QStringLiteral("--copy-database y --new-database no van juntas");
    if (cl.error.isEmpty() && cl.demo && !newDatabaseGiven)
        cl.error = QStringLiteral("--demo solo vale junto con --new-database FILE");
    return cl;
}

QString CommandLine::helpText() {
    return QStringLiteral("Uso: quintor [opciones]\n"
                          "\n"
                          "Consola de cibercafé Quintor.\n"
                          "\n"
                          "  --home DIR              usa DIR como carpeta del programa (la base de datos "
                          "está en DIR/database)\n"
                          "  --database FILE|URL     trabaja con el fichero FILE o con la base de datos\n"
                          "                          PostgreSQL de URL (postgresql://usuario@servidor/base)\n"
                          "                          y la recuerda para los siguientes arranques\n"
                          "  --console NAME          el nombre de esta consola entre las consolas de una\n"
                          "                          misma base de datos (por omisión, el del equipo); se\n"
                          "                          recuerda para los siguientes arranques\n"
                          "  --new-database FILE|URL crea una base de datos nueva en FILE o en la base\n"
                          "                          PostgreSQL vacía de URL y termina\n"
                          "  --copy-database FROM TO copia la base de datos FROM (fichero o URL) en la base\n"
                          "                          nueva y vacía TO, comprueba la copia y termina\n"
                          "  --demo                  con --new-database: añade datos de ejemplo\n"
                          "  --lang en               muestra los textos en inglés\n"
                          "  --version               muestra la versión y termina\n"
                          "  --help                  muestra esta ayuda y termina\n");
}

} // namespace app
