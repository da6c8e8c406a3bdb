// The machine table: machines sorted by key, found by key (binary search), ID or MAC.
#include "app/udp_server.h"

#include "machinelink/net_machine.h"

#include <cstring>

namespace {

// Index of the first machine whose key is not below key (keys compare as unsigned 32-bit).
int32_t LowerBound(const MachineTable& table, uint32_t key)
{
    int32_t low = 0, high = table.GetSize();
    while (low < high) {
        const int32_t mid = low + (high - low) / 2;
        if (table[mid]->ip < key)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

}  // namespace

void CUDPServer::DeleteAllMachines()
{
    CSingleLock guard(&lock_, TRUE);
    for (NET_Machine* machine : machines_) delete machine;
    machines_.RemoveAll();
}

int CUDPServer::AddMachineSorted(NET_Machine* machine)
{
    CSingleLock guard(&lock_, TRUE);
    const int32_t at = LowerBound(machines_, machine->ip);
    if (at < machines_.GetSize() && machines_[at]->ip == machine->ip) return 0;
    machines_.InsertAt(at, machine);
    return 1;
}

NET_Machine* CUDPServer::FindMachineByKey(uint32_t key)
{
    CSingleLock guard(&lock_, TRUE);
    const int32_t at = FindMachineIndexByKey(key);
    return at >= 0 ? machines_[at] : nullptr;
}

int CUDPServer::FindMachineIndexByKey(uint32_t key)
{
    CSingleLock guard(&lock_, TRUE);
    const int32_t at = LowerBound(machines_, key);
    return at < machines_.GetSize() && machines_[at]->ip == key ? at : -1;
}

int CUDPServer::FindMachineIndexById(const uint8_t id[12])
{
    CSingleLock guard(&lock_, TRUE);
    for (int32_t i = 0; i < machines_.GetSize(); ++i)
        if (std::memcmp(machines_[i]->stationId, id, 12) == 0) return i;
    return -1;
}

int CUDPServer::FindMachineIndexByMac(const uint8_t mac[6])
{
    CSingleLock guard(&lock_, TRUE);
    for (int32_t i = 0; i < machines_.GetSize(); ++i)
        if (std::memcmp(machines_[i]->mac, mac, 6) == 0) return i;
    return -1;
}
