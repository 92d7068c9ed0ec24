// Where the bench's threads run while the plug-in is measured beside a baseline server. The
// servers (the plug-in's listener and the baseline) share one CPU and the client runs on
// another, as the companion application and the host would; left to the scheduler, one server
// may share the client's CPU and the other not, and a wake-up across CPUs costs as much as the
// plug-in's whole work.
#ifndef DIALFORGE_BENCH_CPUPLACEMENT_H
#define DIALFORGE_BENCH_CPUPLACEMENT_H

#include <vector>

namespace dialforge_bench {

// A thread runs where the thread that started it ran when it started it, so a server is started
// while the calling thread is on the servers' CPU. With fewer than two CPUs to choose from,
// nothing is moved.
class CpuPlacement {
 public:
  CpuPlacement();

  bool Split() const { return serverCpu != -1; }
  int ServerCpu() const { return serverCpu; }
  int ClientCpu() const { return clientCpu; }

  // What start makes (a server, or the plug-in with its listener) is made on the servers' CPU;
  // the calling thread is back on the client's CPU when it returns.
  template <typename Start>
  auto StartOnServerCpu(Start&& start) const {
    struct BackToClient {
      const CpuPlacement& placement;
      ~BackToClient() { placement.MoveToClientCpu(); }
    } back{*this};
    MoveToServerCpu();
    return start();
  }

  void MoveToServerCpu() const;
  void MoveToClientCpu() const;
  // Back to every CPU the process was given, for measurements that compare no two servers.
  void MoveToAnyCpu() const;

 private:
  std::vector<int> allowed;
  int serverCpu = -1;
  int clientCpu = -1;
};

}  // namespace dialforge_bench

#endif
