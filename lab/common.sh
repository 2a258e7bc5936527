# What lab/up, lab/down and lab/run share: the names and addresses of the
# network lab.  Sourced, not run.
#   lan  the PC            192.168.77.2/24, default route via the router
#   rtr  the home router   192.168.77.1 (LAN side), 203.0.113.1 (WAN side)
#   wan  the Internet      203.0.113.10: the vendor's services on port 80
#                          and the visitor
LAB_NS_LAN=lan
LAB_NS_RTR=rtr
LAB_NS_WAN=wan
LAB_LAN_PC=192.168.77.2
LAB_LAN_RTR=192.168.77.1
LAB_LAN_NET=192.168.77.0/24
LAB_WAN_RTR=203.0.113.1
LAB_WAN_HOST=203.0.113.10
# miniupnpd forwards only while it reports a public address: this one is
# only told to clients, nothing in the lab reaches it.
LAB_REPORTED_IP=11.22.33.44
LAB_RUN=/run/bramo-lab
# The vendor's host names, all served by the one service host in wan.
LAB_HOSTS="reg.bramo.example www.bramo.example ip1.lookup.example ip2.lookup.example"
