// dx_iface: the reader callbacks that fill a DxfDrawingData, and the writer callbacks that
// hand it back.
#include "app/dx_iface.h"

void dx_iface::addHeader(const DRW_Header* data)
{
    cData.headerC = *data;
    cData.hasHeader = true;
}

void dx_iface::addLayer(const DRW_Layer& data)
{
    cData.layers.push_back(data);
    cData.layerColours.emplace(data.name, data.color);
}

void dx_iface::addBlock(const DRW_Block& data)
{
    cData.blocks.push_back(std::make_unique<dx_ifaceBlock>(data));
    currentBlock = cData.blocks.back().get();
    cData.blocksByName[currentBlock->name].push_back(currentBlock);
}

void dx_iface::addImage(const DRW_Image* data)
{
    currentBlock->ent.push_back(std::make_unique<dx_ifaceImg>(*data));
    cData.images.push_back(std::make_unique<dx_ifaceImg>(*data));
}

void dx_iface::linkImage(const DRW_ImageDef* data)
{
    for (auto& img : cData.images)
        if (img->ref == data->handle) img->path = data->name;
}

void dx_iface::writeBlocks()
{
    if (!dxfW) return;
    for (auto& block : cData.blocks) {
        dxfW->writeBlock(block.get());
        for (auto& e : block->ent) WriteEntity(e.get());
    }
}

void dx_iface::writeBlockRecords()
{
    if (!dxfW) return;
    for (auto& block : cData.blocks) dxfW->writeBlockRecord(block->name);
}

void dx_iface::writeEntities()
{
    if (!dxfW) return;
    for (auto& e : cData.mBlock->ent) WriteEntity(e.get());
}

void dx_iface::writeLTypes()
{
    if (!dxfW) return;
    for (auto& t : cData.lineTypes) dxfW->writeLineType(&t);
}

void dx_iface::writeLayers()
{
    if (!dxfW) return;
    for (auto& l : cData.layers) dxfW->writeLayer(&l);
}

void dx_iface::writeTextstyles()
{
    if (!dxfW) return;
    for (auto& s : cData.textStyles) dxfW->writeTextstyle(&s);
}

void dx_iface::writeVports()
{
    if (!dxfW) return;
    for (auto& v : cData.VPorts) dxfW->writeVport(&v);
}

void dx_iface::writeDimstyles()
{
    if (!dxfW) return;
    for (auto& d : cData.dimStyles) dxfW->writeDimstyle(&d);
}

void dx_iface::writeAppId()
{
    if (!dxfW) return;
    for (auto& a : cData.appIds) dxfW->writeAppId(&a);
}

void dx_iface::WriteEntity(DRW_Entity* e)
{
    switch (e->eType) {
    case DRW::POINT: dxfW->writePoint(static_cast<DRW_Point*>(e)); break;
    case DRW::LINE: dxfW->writeLine(static_cast<DRW_Line*>(e)); break;
    case DRW::RAY: dxfW->writeRay(static_cast<DRW_Ray*>(e)); break;
    case DRW::XLINE: dxfW->writeXline(static_cast<DRW_Xline*>(e)); break;
    case DRW::CIRCLE: dxfW->writeCircle(static_cast<DRW_Circle*>(e)); break;
    case DRW::ARC: dxfW->writeArc(static_cast<DRW_Arc*>(e)); break;
    case DRW::ELLIPSE: dxfW->writeEllipse(static_cast<DRW_Ellipse*>(e)); break;
    case DRW::TRACE: dxfW->writeTrace(static_cast<DRW_Trace*>(e)); break;
    case DRW::SOLID: dxfW->writeSolid(static_cast<DRW_Solid*>(e)); break;
    case DRW::E3DFACE: dxfW->write3dface(static_cast<DRW_3Dface*>(e)); break;
    case DRW::LWPOLYLINE: dxfW->writeLWPolyline(static_cast<DRW_LWPolyline*>(e)); break;
    case DRW::POLYLINE: dxfW->writePolyline(static_cast<DRW_Polyline*>(e)); break;
    case DRW::SPLINE: dxfW->writeSpline(static_cast<DRW_Spline*>(e)); break;
    case DRW::INSERT: dxfW->writeInsert(static_cast<DRW_Insert*>(e)); break;
    case DRW::MTEXT: dxfW->writeMText(static_cast<DRW_MText*>(e)); break;
    case DRW::TEXT: dxfW->writeText(static_cast<DRW_Text*>(e)); break;
    case DRW::HATCH: dxfW->writeHatch(static_cast<DRW_Hatch*>(e)); break;
    case DRW::VIEWPORT: dxfW->writeViewport(static_cast<DRW_Viewport*>(e)); break;
    case DRW::LEADER: dxfW->writeLeader(static_cast<DRW_Leader*>(e)); break;
    case DRW::DIMLINEAR:
    case DRW::DIMALIGNED:
    case DRW::DIMANGULAR:
    case DRW::DIMANGULAR3P:
    case DRW::DIMRADIAL:
    case DRW::DIMDIAMETRIC:
    case DRW::DIMORDINATE: dxfW->writeDimension(static_cast<DRW_Dimension*>(e)); break;
    default: break;
    }
}
