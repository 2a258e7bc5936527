// The monitor thread: while the service runs it checks from outside that
// the web server answers as this installation, keeps the registration
// service informed, and repairs the publication when it does not answer.
// It reports only through the tray and the data files rc.txt, ip and
// diagnosis.
#ifndef BRAMO_CONTROLLER_MONITOR_MONITOR_THREAD_H_
#define BRAMO_CONTROLLER_MONITOR_MONITOR_THREAD_H_

class Cbrix7Dlg;

// One pass of the loop:
//   - no registered user: a 2000 ms pause, nothing else;
//   - the reverse check succeeds: the running text, the ip file, rc.txt 0,
//     norvik.exe and then pulvo.exe started, a 60000 ms pause;
//   - it fails: rc.txt 1, the recheck (noAnswer unless another name
//     answered), 2000 ms, a second check; on its success the running text
//     and norvik.exe (no pulvo.exe), then 60000 ms; on its failure no
//     pause.  Then, at most once a minute, the diagnosis: the router is
//     asked through upnpc.exe (runs of 10 s at most, router_probe.h) and
//     the causes found go to website\pc2\database\diagnosis.  A pass that
//     ends reachable empties that file when it holds anything.
// While a port change runs, the steps that touch the ports (the ip file,
// the recheck's changes) wait for it, and are left out when it ran since
// the pass's reverse check.
// On a stopped thread it ends with platform::ThreadStopped at its next
// step, pause or effect.
void RunMonitorPass(Cbrix7Dlg& dlg);

// The thread procedure (framework::AFX_THREADPROC): passes without end on
// the dialog given as `param`.  It returns only by being stopped.
unsigned MonitorThreadProc(void* param);

#endif  // BRAMO_CONTROLLER_MONITOR_MONITOR_THREAD_H_
