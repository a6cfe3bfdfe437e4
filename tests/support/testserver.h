#pragma once

#include <QString>

#include <functional>

// The engine a test run works on. CTest runs each database test twice: on
// SQLite files, and with QUINTOR_TEST_ENGINE=postgresql on the private
// cluster whose socket folder QUINTOR_TEST_PGHOST names (started once per
// run as a fixture). A test that wants PostgreSQL and finds no cluster fails.
namespace testserver {

bool onServer();
// A new, empty database of its own on the cluster, as a URI.
QString newDatabase();
// A new database of its own copied from the cluster's template named
// templateName; the first test that asks for the template builds it, once
// per cluster, with build(uri of the empty template).
QString newDatabaseFrom(const QString& templateName, const std::function<void(const QString&)>& build);
// Drops a database newDatabase made, with whoever is still connected.
void dropDatabase(const QString& uri);
// The URI of the cluster's maintenance database, as the superuser.
QString adminUri();

} // namespace testserver
