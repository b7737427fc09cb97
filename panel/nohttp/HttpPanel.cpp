// A build without the HTTP server: the panel has none.
#include "http/qt/HttpPanel.h"

namespace panel {

QObject* startHttpService(session::MeasurementSession&, const CIni&, HttpLog,
                          const sequence::Runner&, RemoteService*, QObject*) {
    return nullptr;
}

QWidget* makeHttpSection(QObject*, HttpLog, QWidget*) {
    return nullptr;
}

} // namespace panel
