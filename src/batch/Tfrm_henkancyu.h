#pragma once

#include <QProgressBar>

#include "platform/form.h"
#include "platform/widgets.h"

// The batch run's progress window, shown without modality while a run lasts.
class Tfrm_henkancyu : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_henkancyu();
  // Range 0 to 100; keeps its last position between runs.
  QProgressBar* ProgressBar1;

  // Shows the window without modality over the modal window that runs the batch.
  // It stays usable there, so that it can be closed after a run that stopped.
  void ShowOver(QWidget* owner);

  // Sets the bar and paints it at once: a run keeps the event loop busy, so the
  // bar would otherwise not move on screen until the run ends.
  void SetPosition(int percent);
};
