// Where the windows send their print jobs: the platform's print dialog (a printer of the system or
// a PDF file), or the service a test installed.
#pragma once

#include "charts/UPrintJob.h"

class QPrinter;
class QWidget;

namespace tervanix {

enum class TPrintOutcome { Printed, Cancelled, Failed };

// Where the windows send their print jobs: the platform's print dialog unless a test installed
// another service.
class IPrintService {
public:
    virtual ~IPrintService() = default;
    virtual TPrintOutcome Print(QWidget* parent, const TPrintJob& job) = 0;
};

// The print dialog lists the printers of the system (none is no error) and always "Print to File
// (PDF)", the printer last used (else the system's default) chosen first; a PDF file is written
// atomically, a printer gets the same PDF through CUPS (charts/UPrintSpool.h). Failures are shown as
// error messages and reported as Failed. While the print system does not answer, only a PDF file
// can be written.
class TDialogPrintService final : public IPrintService {
public:
    TPrintOutcome Print(QWidget* parent, const TPrintJob& job) override;
};

// The printer before the dialog opens: the job's document name (the PDF file name offered), the
// paper of the country when the system has no printer, the job's orientation.
void PreparePrinter(QPrinter& printer, const TPrintJob& job);

IPrintService& PrintService();
// Installs a service (not owned; nullptr restores the dialog) and returns the previous one.
IPrintService* SetPrintService(IPrintService* service);
TPrintOutcome PrintJob(QWidget* parent, const TPrintJob& job);

} // namespace tervanix
